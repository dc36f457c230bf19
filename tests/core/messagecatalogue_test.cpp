// The message catalogue: block parsing, case-insensitive lookup, showing
// through an injected box, and the catalogue text that ships with the program.

#include "messagecatalogue.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace {

QString lines(const QStringList& parts) { return parts.join(QLatin1Char('\n')); }

struct ShownBox
{
    QString caption;
    QString text;
    unsigned style = ~0u;
    int calls = 0;
};

// Installs a box that records what it was asked to show and presses `answer`.
void recordInto(CMessageCatalogue& catalogue, ShownBox& shown, int answer)
{
    catalogue.setMessageBox([&shown, answer](const QString& caption, const QString& text, unsigned style) {
        shown.caption = caption;
        shown.text = text;
        shown.style = style;
        ++shown.calls;
        return answer;
    });
}

} // namespace

// -------- parsing and lookup --------

TEST(MessageCatalogue, ParsesBlocksIntoTrimmedLfTextsUnderKeysOfAnyCase)
{
    const char* const midLine = "text before {BEGIN} Inline\nmessage {END} between {BEGIN}Next\nsecond{END}";
    const struct {
        const char* text;
        const char* key;
        QString expected;
    } cases[] = {
        {"{BEGIN} FileNotFound\r\nNot here.\r\n{END}\r\n", "filenotfound", "Not here."},
        {"{BEGIN} FileNotFound\r\nNot here.\r\n{END}\r\n", "FILENOTFOUND", "Not here."},
        {"{BEGIN} FileNotFound\r\nNot here.\r\n{END}\r\n", "FileNotFound", "Not here."},
        // inner blank lines stay, outer ones and outer spaces go
        {"{BEGIN} Key\r\n\r\n\r\n  First line.\r\n\r\nSecond line.  \r\n\r\n\r\n{END}", "key",
         lines({"First line.", "", "Second line."})},
        {"{BEGIN} Key\r\none\r\ntwo\r\n{END}", "key", "one\ntwo"},
        {"{BEGIN} Key\none\ntwo\n{END}", "key", "one\ntwo"},
        {midLine, "inline", "message"}, // markers need not start a line
        {midLine, "next", "second"},
        {"{BEGIN} Key\nold\n{END}\n{BEGIN} KEY\nnew\n{END}\n", "key", "new"}, // a later block wins
        {"{BEGIN} Lonely {END}{BEGIN} After\ntext{END}", "after", "text"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMessageCatalogue(QByteArray(c.text)).text(c.key), c.expected) << c.text << " / " << c.key;

    EXPECT_EQ(CMessageCatalogue(QByteArray("{BEGIN} Key\nold\n{END}\n{BEGIN} KEY\nnew\n{END}\n")).keys().size(), 1);
    CMessageCatalogue lonely(QByteArray("{BEGIN} Lonely {END}{BEGIN} After\ntext{END}"));
    EXPECT_TRUE(lonely.keys().contains("lonely")) << "a key without a line break is an empty message";
    EXPECT_TRUE(lonely.text("lonely").isEmpty());
}

TEST(MessageCatalogue, NeverTakesTextBetweenBlocksIntoAMessage)
{
    CMessageCatalogue catalogue(QByteArray("// header comment\n"
                                           "{BEGIN} First\none\n{END}\n"
                                           "// -------- INFO TIPS --------\n"
                                           "stray words\n"
                                           "{BEGIN} Tip::Second\ntwo\n{END}\n"
                                           "// trailing comment\n"));
    EXPECT_EQ(catalogue.text("first"), "one");
    EXPECT_EQ(catalogue.text("tip::second"), "two");
    for (const QString& key : catalogue.keys()) {
        const QString message = catalogue.text(key);
        EXPECT_FALSE(message.contains("INFO TIPS")) << qPrintable(key);
        EXPECT_FALSE(message.contains("stray")) << qPrintable(key);
        EXPECT_FALSE(message.contains("comment")) << qPrintable(key);
    }
    EXPECT_EQ(catalogue.keys().size(), 2);
}

TEST(MessageCatalogue, AnswersAMissingKeyWithEmptyTextAndEntersIt)
{
    CMessageCatalogue catalogue(QByteArray("{BEGIN} Known\ntext\n{END}"));
    EXPECT_FALSE(catalogue.keys().contains("unknown"));
    EXPECT_TRUE(catalogue.text("Unknown").isEmpty());
    EXPECT_TRUE(catalogue.keys().contains("unknown"));
    EXPECT_EQ(catalogue.text("known"), "text");
}

TEST(MessageCatalogue, SurvivesBrokenText)
{
    // Unbalanced markers pair up as they come; none of this may crash or
    // invent text from outside a block.
    const std::vector<QByteArray> broken = {
        QByteArray(),
        QByteArray("{BEGIN}"),
        QByteArray("{END}{END}{BEGIN}"),
        QByteArray("{BEGIN} A\none\n{BEGIN} B\ntwo\n{END}"),
        QByteArray("{BEGIN} Bad\n\xff\xfe\xc3(\n{END}"),
        QByteArray("{BEGIN\n} Half\nmarker{END"),
    };
    for (const QByteArray& text : broken) {
        CMessageCatalogue catalogue(text);
        for (const QString& key : catalogue.keys())
            (void)catalogue.text(key);
        EXPECT_TRUE(catalogue.text("missing").isEmpty());
    }
    CMessageCatalogue twoBegins(QByteArray("{BEGIN} A\none\n{BEGIN} B\ntwo\n{END}"));
    EXPECT_EQ(twoBegins.text("a"), "one");
    EXPECT_TRUE(twoBegins.text("b").isEmpty()); // its text lay in an inter-block piece
}

// -------- showing --------

TEST(MessageCatalogue, ShowsTheKeyedTextUnderTheProgramTitleAndReturnsTheButtonPressed)
{
    CMessageCatalogue catalogue(QByteArray("{BEGIN} SureDelDB\nClear it?\n{END}"));
    ShownBox shown;
    recordInto(catalogue, shown, MsgButton::No);

    EXPECT_EQ(catalogue.show("SUREDELDB", MsgStyle::QuestionYesNo), MsgButton::No);
    EXPECT_EQ(shown.calls, 1);
    EXPECT_EQ(shown.caption, "Tessary Ombravelle");
    EXPECT_EQ(shown.text, "Clear it?");
    EXPECT_EQ(shown.style, MsgStyle::QuestionYesNo);

    recordInto(catalogue, shown, MsgButton::Cancel);
    EXPECT_EQ(catalogue.show("SureDelDB", MsgStyle::InfoYesNoCancel), MsgButton::Cancel);
    EXPECT_EQ(shown.style, 0x43u);
}

TEST(MessageCatalogue, ShowsAnEmptyBoxForAMissingKeyAndStillReturnsTheButton)
{
    CMessageCatalogue catalogue{QByteArray()};
    ShownBox shown;
    recordInto(catalogue, shown, MsgButton::Ok);
    EXPECT_EQ(catalogue.show("NoSuchKey", MsgStyle::InfoOk), MsgButton::Ok);
    EXPECT_EQ(shown.calls, 1);
    EXPECT_TRUE(shown.text.isEmpty());
}

TEST(MessageCatalogue, WithoutABoxWritesTheTextToStandardErrorAndAnswersCautiously)
{
    CMessageCatalogue catalogue(QByteArray("{BEGIN} ExportSameName\nReplace the file?\n{END}"));
    testing::internal::CaptureStderr();
    const int answer = catalogue.show("ExportSameName", MsgStyle::QuestionYesNo);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, MsgButton::No);
    EXPECT_NE(written.find("Replace the file?"), std::string::npos);
    EXPECT_NE(written.find("Tessary Ombravelle"), std::string::npos);
}

TEST(MessageCatalogue, HeadlessAnswerChangesNothing)
{
    struct Case { unsigned style; int answer; };
    const Case cases[] = {
        {MsgStyle::PlainOk, MsgButton::Ok},
        {MsgStyle::ErrorOk, MsgButton::Ok},
        {MsgStyle::WarningOk, MsgButton::Ok},
        {MsgStyle::InfoOk, MsgButton::Ok},
        {MsgStyle::IconQuestion | MsgStyle::ButtonsOkCancel, MsgButton::Cancel},
        {MsgStyle::QuestionYesNoCancel, MsgButton::Cancel},
        {MsgStyle::InfoYesNoCancel, MsgButton::Cancel},
        {MsgStyle::QuestionYesNo, MsgButton::No},
        {MsgStyle::InfoYesNo, MsgButton::No},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMessageCatalogue::headlessAnswer(c.style), c.answer) << "style 0x" << std::hex << c.style;
}

// -------- the shipped catalogue --------

namespace {

const char* const kCatalogueKeys[] = {
    "TemplateToProject", "DropInsideCanvas", "StatusBarKeys", "CorruptProject", "SaveAsTemplate",
    "RefreshDirNotFound", "RefreshDone", "SureDelDB", "DBNotThere", "ExportMissingDir", "ExportNoDir",
    "ExportNoName", "ExportBadName", "ExportSameName", "BadFrameSize", "SaveNoName", "SaveNotFound",
    "SaveOverwrite", "SaveRemoveProject", "SaveBadDelete", "BadEmail", "SaveNextTime", "UpdateComProb",
    "UpdateNoFile", "UpdateThere", "UpdateNoSave", "UpdateNone", "DropperTooManyFiles",
    "MenuDropperBrowseTitle", "NoFileEncoder", "ResTooHigh", "ExportErr", "DropperNoValidPhoto",
    "MergeWarning", "ExportInterrupt", "ExportSubject", "ExportMessage", "MacroNoName", "MacroNameExists",
    "MacroNoExist", "MacroAskRemove", "UrlNotFound", "PhotoPosSelection", "PhotoPosNoName", "PhotoPosExists",
    "PhotoPosRangeError", "SMTPConnectionError", "SMTPSendError", "SMTPDisconnectError", "SMTPSuccess",
    "DropperSpinSelect", "DropperRemoveSelect", "PhotosLock", "MsgSent", "MsgError", "NoPrinter",
    "ExportBadValues", "MapiNotFound", "WrongDocVersion", "ClearUndo", "FileNotFound", "NoPrintable",
    "NeedPages", "UndoOlderVersion", "PageSizeChange", "AutoPage", "WrongPhotoPosName", "AskRemovePhotoPos",
    "PhotoPosRemoveNoName", "PhotoPosRename", "ChangeNameExists", "ChangeNameErr", "ChangeDescMsg",
    "ChangeNameInfo", "NoShowTip", "Tip::PreviewAutoPage", "Tip::Quick", "Tip::DropperShow", "Tip::Splitter",
    "Tip::StalePhotos", "Tip::RefreshPhotos", "Tip::NewPage", "Tip::Orientation", "Tip::CanvasSizePresets",
    "Tip::NewProj", "Tip::PhotoSwap", "Tip::SplitterUsage", "Tip::PhotoBrowse", "DescLink",
    "Tip::PhotoOrganizer", "Tip::PhotoTypes", "Tip::NAMEShareAdd", "Tip::GridProj", "Tip::TemplateProj",
    "SendAddrWarn", "Tip::PhotoSymbols", "SMTPCantSend", "SMTPNoServer", "SMTPNoUserID", "SMTPNewIDUsage",
    "Tip::SMTPAddAddr", "SMTPSent", "SMTPNewID", "SMTPNewName", "SMTPAddrBook", "SMTPImport",
    "SMTPNoGoodAddr", "SMTPPublishFolder", "SMTPBadFolder", "SMTPBadMoveDest", "SMTPFileWriteError",
    "SMTPBadServerLogin", "SMTPServerFileMove", "SMTPBadServerDir", "SMTPInviteNeed", "SMTPInviteOk",
    "SMTPInviteBad", "SMTPInviteAddrNeed", "SMTPBadURL", "SMTPFtpOnlySupport", "SMTPPublishSuccess",
    "SMTPOverwrite", "SMTPNoAddrBook", "SMTPWebFolderExists", "SMTPNeedUserName", "SMTPSelectPublishTab",
    "PreviewButton", "HTMLTable", "NewVersion", "PageSampleTip", "Tip::PanZoomInfo", "Tip::RemoveWebPub",
    "Tip::RemoveFilePub", "Tip::EmailCollage", "HTMLPrevMsg", "PrintJobs", "GoOnLineError", "SMTPNoAccounts",
    "SMTPNoAccountsLeft", "SMTPBadEmail", "SMTPBadServer", "SMTPSuccessTest", "SMTPTestServerID",
    "QuickCollageInfo", "QuickWelcome", "Tip::QuickCollage", "QuickNoPics", "Tip::MoveLockFrame",
    "Tip::HighQuality", "Tip::CanvasSizeWarning", "QuickCollageError", "ResetMsg", "PresetSizes",
    "QuickChoose", "QuickShow", "SMTPGoLook", "SMTPNotGood", "DropperRemoveErr", "AskRemoveAddr",
    "MissingPhoto", "UpdateCheckAsk", "Tip::PrinterPage", "DropperNoPrevSel", "PreviewNav", "PreviewNoFiles",
};

// Messages this program adds for situations the classic set has no words
// for (a save that failed and why, a plane whose frame ids are all taken,
// the locked canvas in the status bar, where an export went, the mail checks,
// a loaded step that cannot be replayed,
// a print that failed, photos with too few pixels, settings that could not be saved).
const char* const kOwnKeys[] = {"SaveFailed",           "SaveNoFolder",          "SaveNotAllowed",
                                "FrameIdsExhausted",    "QuickCollageNoPhotos",  "DropSkippedFiles",
                                "LockedFramesStatus",   "FramesLockedIndicator", "FramesLockedIndicatorTip",
                                "ExportWritten",        "ExportNoViewer",        "SMTPBadSubject",
                                "SMTPNoServerName",     "SMTPPasswordNoKeyring", "SMTPLinkDropped",      "UndoStepFailed",
                                "MacroRenameTaken",
                                "PrintFailed",          "LowResolution",        "SettingsSaveFailed"};

QByteArray shippedText()
{
    QFile file(QString::fromLatin1(CMessageCatalogue::kResourcePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(ShippedCatalogue, HoldsEveryKeyOfTheProgramWithText)
{
    CMessageCatalogue catalogue;
    EXPECT_EQ(std::size(kCatalogueKeys), 165u);
    for (const char* key : kCatalogueKeys)
        EXPECT_FALSE(catalogue.text(QString::fromLatin1(key)).isEmpty()) << key;
    for (const char* key : kOwnKeys)
        EXPECT_FALSE(catalogue.text(QString::fromLatin1(key)).isEmpty()) << key;
}

TEST(ShippedCatalogue, HoldsNoKeyTheProgramDoesNotKnow)
{
    // A misspelt key would load fine and never be found.
    QSet<QString> known;
    for (const char* key : kCatalogueKeys)
        known.insert(QString::fromLatin1(key).toLower());
    for (const char* key : kOwnKeys)
        known.insert(QString::fromLatin1(key).toLower());
    CMessageCatalogue catalogue;
    for (const QString& key : catalogue.keys())
        EXPECT_TRUE(known.contains(key)) << qPrintable(key);
}

TEST(ShippedCatalogue, PairsEveryBeginMarkerWithAnEndMarkerAndUsesEachKeyOnce)
{
    // A missing marker silently swallows the next block; a repeated key
    // silently replaces the earlier text.
    const QString text = QString::fromUtf8(shippedText());
    static const QRegularExpression marker(QStringLiteral("\\{(BEGIN|END)\\}"));
    QString expected = QStringLiteral("BEGIN");
    int blocks = 0;
    for (auto it = marker.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured(1);
        ASSERT_EQ(found, expected) << "marker out of order after block " << blocks;
        if (found == QLatin1String("END"))
            ++blocks;
        expected = found == QLatin1String("BEGIN") ? QStringLiteral("END") : QStringLiteral("BEGIN");
    }
    EXPECT_EQ(expected, "BEGIN") << "the last block is not closed";
    CMessageCatalogue catalogue;
    EXPECT_EQ(catalogue.keys().size(), blocks);
}

TEST(ShippedCatalogue, IsUtf8WithLfLineEnds)
{
    const QByteArray bytes = shippedText();
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(QString::fromUtf8(bytes).toUtf8() == bytes);
}

TEST(ShippedCatalogue, CarriesTheDocumentMessagesWordForWord)
{
    CMessageCatalogue catalogue;
    EXPECT_EQ(catalogue.text("FileNotFound"),
              lines({"The collage project you are trying to open cannot be found.",
                     "Please verify that the name you entered is valid and try again."}));
    EXPECT_EQ(catalogue.text("CorruptProject"),
              lines({"This collage project file appears to be corrupted.", "",
                     "Please select another file and try again."}));
    EXPECT_EQ(catalogue.text("WrongDocVersion"),
              lines({"The collage project you are trying to open was created using a newer",
                     "version of Tessary Ombravelle than the one you are currently using.", "",
                     "Please update your software by selecting \"Check for Updates...\"",
                     "from the \"Help\" menu."}));
    EXPECT_EQ(catalogue.text("UndoOlderVersion"),
              lines({"The project you are opening was created using an older version of Tessary Ombravelle.", "",
                     "It will be imported correctly. This notice is for your information only."}));
    EXPECT_EQ(catalogue.text("ClearUndo"),
              lines({"You have chosen to save this collage project", "with low-quality thumbnails.",
                     "Do you wish to clear the undo/redo list as well?"}));
    EXPECT_EQ(catalogue.text("NoShowTip"),
              lines({"Click here to not show this tip again.",
                     "To bring back all tips, select the \"Help/Reset Tips\" menu item."}));
    EXPECT_EQ(catalogue.text("StatusBarKeys"),
              lines({"Press SHIFT to fine-tune; ALT to disable/enable snapping;",
                     "ESC to cancel and undo your changes."}));
}

TEST(ShippedCatalogue, CarriesTheEditingAndSharingMessagesWordForWord)
{
    CMessageCatalogue catalogue;
    EXPECT_EQ(catalogue.text("MergeWarning"),
              lines({"The merge you have requested may cause frames to overlap;",
                     "this may result in frames that are hidden beneath other frames.", "",
                     "Are you sure you want to continue?", "",
                     "If the results of the merge are not satisfactory,",
                     "you can press Ctrl+Z to undo the merge."}));
    EXPECT_EQ(catalogue.text("MacroNoName"),
              lines({"No name was specified for this macro.", "",
                     "Please enter a macro name, or select one from the list below."}));
    EXPECT_EQ(catalogue.text("MacroNameExists"),
              lines({"A macro by that name already exists.", "",
                     "Would you like to overwrite the existing macro", "with the one you just recorded?"}));
    EXPECT_EQ(catalogue.text("MacroNoExist"),
              lines({"The macro name you have specified does not exist.", "",
                     "Please select a name from the list below."}));
    EXPECT_EQ(catalogue.text("MacroAskRemove"), "Are you sure you want to permanently remove the selected macro?");
    EXPECT_EQ(catalogue.text("ExportSubject"), "Have a look at my photo collage!");
}

TEST(ShippedCatalogue, AsksTheTemplateQuestionsAsTheDocumentExpects)
{
    CMessageCatalogue catalogue;
    const QString toProject = catalogue.text("TemplateToProject");
    EXPECT_EQ(toProject.split("\n\n").size(), 7);
    EXPECT_TRUE(toProject.endsWith("Do you want to change this template into a collage project?"));

    const QString asTemplate = catalogue.text("SaveAsTemplate");
    EXPECT_TRUE(asTemplate.contains(lines({"Would you like to save your work as a collage with pictures",
                                           "before proceeding to save it as a template?"})));
    EXPECT_TRUE(asTemplate.contains(lines({"YES: Save the current collage and proceed to save the template",
                                           "NO: Lose all changes made to the collage and save the template",
                                           "CANCEL: Don't do anything and continue editing your collage"})));
}

TEST(ShippedCatalogue, GivesThePhotoSectionTemplateEveryPlaceholderThePageGeneratorFills)
{
    CMessageCatalogue catalogue;
    const QString table = catalogue.text("HTMLTable");
    for (const char* placeholder : {"FPMapNav{theMap}", "name=\"a{anchor}\"", "\"#{theBack}\"", "\"#Collage\"",
                                    "\"#{theNext}\"", "{theDir}PrevNext.jpg", "<a{theLink}>", "\"{theWidth}\"",
                                    "\"{theHeight}\"", "{theDir}{theFile}", "{desc}", "#C0C0C0", "#808080",
                                    "#404040"})
        EXPECT_TRUE(table.contains(QString::fromLatin1(placeholder))) << placeholder;
}
