#pragma once
// What the project picker and the open command learn from a project file
// without touching the document: its format version, flags and description.
// Reading stops after the sections that carry them; a file that does not
// parse yields nothing.

#include <QString>

#include <optional>

struct CProjectSummary
{
    quint16 fileVersion = 0;
    quint16 flags = 0;
    QString description;
};

namespace ProjectPeek {

std::optional<CProjectSummary> read(const QString& path);

} // namespace ProjectPeek
