#pragma once
// The folder of lock pictures: the product folder under My Pictures, or under My Documents
// on releases that have no My Pictures.
#include <string>

// The releases whose My Pictures folder is used: Me, 2000, XP, XP Home, Server 2003.
constexpr int kMyPicturesReleases = 0x790;

// The shell folder (CSIDL_) to take for a release flag (0, any later release, counts too).
int PictureShellFolderFor(int releaseFlag);
// This machine's picture folder; empty when the shell folder cannot be found.
std::string GetPictureFolder();
