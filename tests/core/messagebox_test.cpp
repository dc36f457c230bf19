// The mapping from catalogue style bits to a QMessageBox and from the button
// pressed back to the codes callers test for. Checked without showing a box.

#include "messagebox.h"
#include "messagecatalogue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct StyleCase
{
    unsigned style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

void PrintTo(const StyleCase& c, std::ostream* os) { *os << "style 0x" << std::hex << c.style; }

class MessageBoxStyle : public testing::TestWithParam<StyleCase>
{
};

const QMessageBox::StandardButtons kOk = QMessageBox::Ok;
const QMessageBox::StandardButtons kOkCancel = QMessageBox::Ok | QMessageBox::Cancel;
const QMessageBox::StandardButtons kYesNo = QMessageBox::Yes | QMessageBox::No;
const QMessageBox::StandardButtons kYesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

} // namespace

TEST_P(MessageBoxStyle, ShowsTheIconAndButtonsTheStyleAsksFor)
{
    const StyleCase& c = GetParam();
    EXPECT_EQ(MessageBox::iconForStyle(c.style), c.icon);
    EXPECT_EQ(MessageBox::buttonsForStyle(c.style), c.buttons);
    EXPECT_EQ(MessageBox::defaultButtonForStyle(c.style), c.defaultButton);
    EXPECT_EQ(MessageBox::escapeButtonForStyle(c.style), c.escapeButton);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStyleTheProgramUses, MessageBoxStyle,
    testing::Values(
        StyleCase{MsgStyle::PlainOk, QMessageBox::NoIcon, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{MsgStyle::ErrorOk, QMessageBox::Critical, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{MsgStyle::WarningOk, QMessageBox::Warning, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{MsgStyle::InfoOk, QMessageBox::Information, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{MsgStyle::QuestionYesNoCancel, QMessageBox::Question, kYesNoCancel, QMessageBox::Yes,
                  QMessageBox::Cancel},
        StyleCase{MsgStyle::QuestionYesNo, QMessageBox::Question, kYesNo, QMessageBox::Yes, QMessageBox::No},
        StyleCase{MsgStyle::InfoYesNo, QMessageBox::Information, kYesNo, QMessageBox::Yes, QMessageBox::No},
        StyleCase{MsgStyle::InfoYesNoCancel, QMessageBox::Information, kYesNoCancel, QMessageBox::Yes,
                  QMessageBox::Cancel},
        StyleCase{MsgStyle::IconWarning | MsgStyle::ButtonsOkCancel, QMessageBox::Warning, kOkCancel,
                  QMessageBox::Ok, QMessageBox::Cancel},
        // Bits the program never sets: an unknown icon shows none, an unknown
        // button set falls back to a plain OK box.
        StyleCase{0x50, QMessageBox::NoIcon, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{0x32, QMessageBox::Warning, kOk, QMessageBox::Ok, QMessageBox::Ok},
        StyleCase{0x1000 | MsgStyle::InfoYesNo, QMessageBox::Information, kYesNo, QMessageBox::Yes,
                  QMessageBox::No}));

TEST(MessageBoxAnswer, GivesThePlatformCodeOfEachButton)
{
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::Ok, MsgStyle::InfoOk), 1);
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::Cancel, MsgStyle::QuestionYesNoCancel), 2);
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::Yes, MsgStyle::QuestionYesNo), 6);
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::No, MsgStyle::QuestionYesNo), 7);
}

TEST(MessageBoxAnswer, AnswersABoxClosedWithoutAButtonAsItsEscapeButton)
{
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::NoButton, MsgStyle::ErrorOk), MsgButton::Ok);
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::NoButton, MsgStyle::QuestionYesNoCancel), MsgButton::Cancel);
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::NoButton, MsgStyle::InfoYesNo), MsgButton::No);
    // A button the box never offers cannot turn into a code callers do not expect.
    EXPECT_EQ(MessageBox::codeForButton(QMessageBox::Retry, MsgStyle::QuestionYesNo), MsgButton::No);
}

// Presses `button` in the box that is about to open, from inside its event loop.
void pressWhenShown(QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(button)->click();
    });
}

TEST(MessageBoxShown, ReturnsTheCodeOfTheButtonTheUserPressed)
{
    pressWhenShown(QMessageBox::No);
    EXPECT_EQ(showMessageBox(nullptr, "Caption", "Sure?", MsgStyle::QuestionYesNoCancel), MsgButton::No);
    pressWhenShown(QMessageBox::Cancel);
    EXPECT_EQ(showMessageBox(nullptr, "Caption", "Sure?", MsgStyle::QuestionYesNoCancel), MsgButton::Cancel);
    pressWhenShown(QMessageBox::Yes);
    EXPECT_EQ(showMessageBox(nullptr, "Caption", "Sure?", MsgStyle::InfoYesNo), MsgButton::Yes);
}

TEST(MessageBoxShown, CatalogueMessagesReachTheRealBoxWithTheirCaptionAndText)
{
    CMessageCatalogue catalogue(QByteArray("{BEGIN} Hello\nHello there.\n{END}\n"));
    installMessageBox(catalogue);
    QString seenTitle, seenText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenTitle = box->windowTitle();
        seenText = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(catalogue.show("hello", MsgStyle::InfoOk), MsgButton::Ok);
    EXPECT_EQ(seenTitle, "Tessary Ombravelle");
    EXPECT_EQ(seenText, "Hello there.");
}

TEST(MessageBoxShown, TheCataloguesPageBreaksRunOnSoTheBoxWrapsTheTextItself)
{
    struct Case
    {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        // A paragraph broken for the page runs on; the paragraph break stays.
        {"Your collage could not be saved. The disk may be full, or you may not be\nallowed to write there.\n\n"
         "Please try again.",
         "Your collage could not be saved. The disk may be full, or you may not be allowed to write there.\n\n"
         "Please try again."},
        // Short lines (names) and the line before a list stay as they are.
        {"These files are not photos this program can use and were not added:\n\na.txt\nb.doc",
         "These files are not photos this program can use and were not added:\n\na.txt\nb.doc"},
        {"The merge you have requested may cause frames to overlap and hide:\n- one\n- two",
         "The merge you have requested may cause frames to overlap and hide:\n- one\n- two"},
        {"Press SHIFT to fine-tune; ALT to disable/enable snapping;\r\nESC to cancel and undo your changes.",
         "Press SHIFT to fine-tune; ALT to disable/enable snapping; ESC to cancel and undo your changes."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageBox::flowingText(c.text), QString(c.shown)) << c.text;

    // And the real box gets the flowing text.
    CMessageCatalogue catalogue(QByteArray("{BEGIN} Long\nA message long enough to have been broken for the\n"
                                           "catalogue's page.\n{END}\n"));
    installMessageBox(catalogue);
    QString seenText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    catalogue.show("long", MsgStyle::InfoOk);
    EXPECT_EQ(seenText, "A message long enough to have been broken for the catalogue's page.");
}
