#pragma once
// The window's answers to the document commands' questions: the real
// dialogs, modal over the main window.

#include "documentdialogs.h"

#include <QPointer>
#include <QWidget>

class CCollageDoc;
class CServices;

class CQtDocumentDialogs : public CDocumentDialogs
{
public:
    CQtDocumentDialogs(CCollageDoc& doc, CServices& services, QWidget* parent);

    std::optional<CSaveAsChoice> pickSaveTarget(const QString& title, const QString& description,
                                                bool templateMode) override;
    std::optional<CSplitCounts> askSplit() override;
    bool askMerge() override;
    std::optional<CNewCollageChoice> askNewCollage(float defaultWidth, float defaultHeight,
                                                   bool layoutAvailable) override;
    std::optional<QString> askOpenPath() override;
    std::optional<CGridChoice> askGridSettings(const CGridChoice& current) override;
    // Starts in the folder pictures were added from last ("AddPicturesDir"),
    // the user's pictures folder the first time.
    QStringList askPictures() override;
    QString showExport() override;
    std::optional<CImageTone> askImageTone(const CImageTone& current) override;
    std::optional<CFrameStyle> askFrameStyle(const CFrameStyle& current) override;
    std::optional<QRgb> askCanvasColour(QRgb current) override;
    std::optional<bool> runZadeDudazizWizard() override;

private:
    std::optional<QString> pickOpenPath(ProjectType type);
    // The folder the picker opened last, so the next pick starts there.
    QString startFolder() const;

    CCollageDoc& m_doc;
    CServices& m_services;
    QPointer<QWidget> m_parent;
    QString m_lastFolder;
};
