#pragma once

#include <QString>

// The lock file the poster program holds with a shared lock for as long as it runs; named after
// its mutex, in the user's runtime folder.
QString PosterLockFile();

// True while some instance of the poster program holds its lock: an exclusive lock on the file
// cannot be taken. A lock file that does not exist means no instance runs.
bool IsPosterProgramRunning(const QString& lockFile);
