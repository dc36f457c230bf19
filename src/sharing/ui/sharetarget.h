#pragma once
// The main window's way into sharing: the command "Share Your Collage via
// E-Mail..." opens the share sheet over the window.

#include "commandtarget.h"

#include <QObject>

class CCollageDoc;
class QWidget;

class CShareTarget : public QObject, public CCommandTarget
{
public:
    CShareTarget(CCollageDoc& doc, QWidget* window);

    bool onCommand(int id) override;
    std::optional<CCommandState> commandState(int id) const override;

private:
    CCollageDoc& m_doc;
    QWidget* m_window;
};
