#pragma once
// What the collage-cli commands share: their exit codes, the document they
// work on, and the reading of their options.

#include "collagedoc.h"
#include "services.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>

class QTextStream;

// The process exit codes of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // a missing or damaged file, a failed export
constexpr int kExitUsage = 2;  // bad arguments

// A document over a fresh set of the user's own services, the way the
// editor holds one; its messages reach standard error through the headless
// catalogue.
struct CliSession
{
    CServices services;
    CCollageDoc doc{services.docServices()};

    CliSession();
    // Opens the project, or says on `err` that it cannot.
    bool open(const QString& path, QTextStream& err);
};

// Named options ("--out VALUE", "--transparent") apart from the plain words.
struct CliArguments
{
    QStringList words;
    QHash<QString, QString> values;
    QSet<QString> flags;
    // Why the words do not parse; empty when they do.
    QString problem;
};

// `withValue` options take the next word; `flags` stand alone; any other
// word starting "--" is a problem.
CliArguments parseCliArguments(const QStringList& args, const QSet<QString>& withValue, const QSet<QString>& flags);

std::optional<int> positiveNumber(const QString& text);
