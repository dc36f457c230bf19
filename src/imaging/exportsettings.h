#pragma once
// The export dialog's settings in the settings store: quality, open the
// file afterwards, folder, type and its place in the type list, the
// transparent canvas for PNG, and the width of the last export. Creating the bindings registers the settings
// with their defaults.

#include "propbinding.h"

#include <QString>

class CPropManager;

class CExportSettings
{
public:
    static constexpr int kDefaultQuality = 80;
    static constexpr const char* kDefaultType = "jpg";
    // Beside the user's pictures.
    static constexpr const char* kDefaultFolderName = "My Collages";

    explicit CExportSettings(CPropManager& store);

    CIntProp quality;
    CBoolProp autoView;
    CStringProp folder;
    CStringProp type;
    CIntProp filterIndex;
    CBoolProp transparentCanvas;
    // Pixels; 0 until the first export, which then starts from the resolution.
    CIntProp width;

    // The user's pictures folder joined with "My Collages".
    static QString defaultFolder();
    // Makes the default folder when `folder` is it and it does not exist
    // yet, so that a new user's first export is not refused; any other
    // folder must exist already (a mistyped one is refused, not made).
    static void makeDefaultFolder(const QString& folder);
};
