#pragma once
// What the update windows need of the editor around them. Nothing is owned;
// everything outlives the windows.

#include <QString>

#include <functional>

class CMessageCatalogue;
class CPropManager;
class CSoapClient;
class QWidget;

struct CUpdateEnvironment
{
    CPropManager* settings = nullptr;
    QString settingsFile;
    CMessageCatalogue* catalogue = nullptr;
    CSoapClient* client = nullptr;
    // Where the editor, the updater and the download live.
    QString programFolder;
    // Whether the open project has unsaved changes.
    std::function<bool()> hasUnsavedChanges;
    // Closes the editor without asking about unsaved changes: the user has
    // agreed to lose them before the download began.
    std::function<void()> closeEditor;
    QWidget* parent = nullptr;
};
