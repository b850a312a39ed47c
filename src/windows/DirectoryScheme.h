#pragma once

class QObject;

namespace sora {

class DirectoryPages;

// The built-in directory's pages reach the engine under an address scheme of the program's own.
// The scheme is not a secure one, so its pages play the plain http:// streams most stations send;
// it is no network server either, so no other user or program can reach it.

// Must run before the application object is made.
void registerDirectoryScheme();
// Serves the scheme to every page of the program, for as long as `owner` lives.
void installDirectoryScheme(DirectoryPages& pages, QObject* owner);

} // namespace sora
