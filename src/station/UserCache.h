#pragma once

#include <QString>

namespace sora {

// The program's folder in the user's cache (the kept station list, the spool of the last songs),
// or empty where the system names no cache location. Not made here.
QString UserCacheFolder();

// What a folder is to this user: never a link, never another user's.
enum class FolderState
{
    Missing,      // or not to be reached (errno tells)
    NotOwn,       // not a folder of this user's
    OpenToOthers, // this user's, but others may enter it
    Own
};
FolderState OwnFolderState(const QString& path);

// Makes `path` where it is missing; true when it is a real folder of this user's that nobody else
// may open (made so). A link, or another user's folder, is never used.
bool MakeOwnFolder(const QString& path);

} // namespace sora
