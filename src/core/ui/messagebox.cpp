#include "messagebox.h"

#include "messagecatalogue.h"

#include <QApplication>

namespace MessageBox {

QMessageBox::Icon iconForStyle(unsigned style)
{
    switch (style & MsgStyle::IconMask) {
    case MsgStyle::IconError:
        return QMessageBox::Critical;
    case MsgStyle::IconQuestion:
        return QMessageBox::Question;
    case MsgStyle::IconWarning:
        return QMessageBox::Warning;
    case MsgStyle::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttonsForStyle(unsigned style)
{
    switch (style & MsgStyle::ButtonMask) {
    case MsgStyle::ButtonsOkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgStyle::ButtonsYesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgStyle::ButtonsYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::StandardButton defaultButtonForStyle(unsigned style)
{
    return buttonsForStyle(style).testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
}

QMessageBox::StandardButton escapeButtonForStyle(unsigned style)
{
    const QMessageBox::StandardButtons buttons = buttonsForStyle(style);
    if (buttons.testFlag(QMessageBox::Cancel))
        return QMessageBox::Cancel;
    if (buttons.testFlag(QMessageBox::No))
        return QMessageBox::No;
    return QMessageBox::Ok;
}

int codeForButton(QMessageBox::StandardButton pressed, unsigned style)
{
    switch (pressed) {
    case QMessageBox::Ok:
        return MsgButton::Ok;
    case QMessageBox::Cancel:
        return MsgButton::Cancel;
    case QMessageBox::Yes:
        return MsgButton::Yes;
    case QMessageBox::No:
        return MsgButton::No;
    default:
        break;
    }
    // The escape button is always one of the four above, so this recurses once at most.
    return codeForButton(escapeButtonForStyle(style), style);
}

QString flowingText(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normal.split(QLatin1Char('\n'));
    const auto startsList = [](const QString& line) {
        const QString trimmed = line.trimmed();
        return trimmed.startsWith(QLatin1String("- ")) || trimmed.startsWith(QLatin1String("* "))
            || trimmed.startsWith(QChar(0x2022));
    };
    QString flowing;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        flowing += line;
        if (i + 1 == lines.size())
            break;
        const QString& next = lines[i + 1];
        const bool runsOn = line.trimmed().size() >= kWrappedLineLength && !next.trimmed().isEmpty()
            && !line.trimmed().endsWith(QLatin1Char(':')) && !startsList(next);
        flowing += runsOn ? QStringLiteral(" ") : QStringLiteral("\n");
    }
    return flowing;
}

} // namespace MessageBox

int showMessageBox(QWidget* parent, const QString& caption, const QString& text, unsigned style)
{
    QMessageBox box(MessageBox::iconForStyle(style), caption, MessageBox::flowingText(text),
                    MessageBox::buttonsForStyle(style), parent);
    box.setTextFormat(Qt::PlainText); // catalogue texts may hold "<" and "&"; never render them as markup
    box.setDefaultButton(MessageBox::defaultButtonForStyle(style));
    box.setEscapeButton(MessageBox::escapeButtonForStyle(style));
    box.exec();
    return MessageBox::codeForButton(box.standardButton(box.clickedButton()), style);
}

void installMessageBox(CMessageCatalogue& catalogue, std::function<QWidget*()> parent)
{
    catalogue.setMessageBox([parent = std::move(parent)](const QString& caption, const QString& text, unsigned style) {
        QWidget* owner = parent ? parent() : QApplication::activeWindow();
        return showMessageBox(owner, caption, text, style);
    });
}
