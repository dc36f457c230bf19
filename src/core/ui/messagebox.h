#pragma once
// The one message box of the windowed program: maps the catalogue's style
// bits (icon nibble 0x10 critical, 0x20 question, 0x30 warning,
// 0x40 information; button nibble 0 OK, 1 OK/Cancel, 3 Yes/No/Cancel,
// 4 Yes/No) onto a QMessageBox and answers with the button codes
// 1, 2, 6 and 7. The pure mapping is split out so it can be checked without
// showing a window.

#include <QMessageBox>
#include <QString>

#include <functional>

class CMessageCatalogue;
class QWidget;

namespace MessageBox {

QMessageBox::Icon iconForStyle(unsigned style);
// Button nibbles the program never uses (2, 5, 6, ...) fall back to OK.
QMessageBox::StandardButtons buttonsForStyle(unsigned style);
// The first button, as on the platform the styles come from: OK or Yes.
QMessageBox::StandardButton defaultButtonForStyle(unsigned style);
// What Escape and the window's close button mean: OK in an OK-only box,
// Cancel where there is one, otherwise No.
QMessageBox::StandardButton escapeButtonForStyle(unsigned style);
// The code of `pressed`; a box closed without a button press (NoButton)
// answers as its escape button does.
int codeForButton(QMessageBox::StandardButton pressed, unsigned style);

// A line at least this long was broken to fit the catalogue's page, not
// for meaning.
inline constexpr int kWrappedLineLength = 40;
// The text as the box shows it: lines the catalogue broke for its page
// width run on, so the box wraps them to its own; paragraphs (blank lines)
// stay, and so do short lines (a list of names) and the line before a list
// marker ("- ", "* ") or after a colon.
QString flowingText(const QString& text);

} // namespace MessageBox

// Shows a modal box (application-modal when `parent` is null) and returns
// the code of the button pressed.
int showMessageBox(QWidget* parent, const QString& caption, const QString& text, unsigned style);

// Makes `catalogue` show its messages through showMessageBox. `parent` is
// asked for the owner window at each show; without it the active window is
// the owner.
void installMessageBox(CMessageCatalogue& catalogue, std::function<QWidget*()> parent = {});
