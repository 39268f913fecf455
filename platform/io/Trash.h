#pragma once
// The desktop's trash (recycle bin) in the freedesktop.org layout: an entry moved there becomes
// <trash>/files/<name>, and <trash>/info/<name>.trashinfo records where it came from and when, so a file
// manager can list and restore it.
// How: the record is created first and exclusively, so two moves never take the same name; a name in use
// gets ".2", ".3", ... Then the entry is renamed into files/ (never replacing anything); when that fails the
// record is removed again. The deletion date is the application clock (Now()). All calls go through the OS
// seam (OsLayer.h).
// Folder: $XDG_DATA_HOME/Trash, else $HOME/.local/share/Trash, else Trash in the temporary folder, unless set.
// Does not implement: the per-volume trash folders of other file systems (an entry on another file system
// than the trash folder is refused, never copied), emptying or restoring, size caches.

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Moves a file, link or directory to the trash; false (and nothing moved) when it does not exist or
/// cannot be moved there.
bool MoveToTrash(const String& fileName);
/// The trash folder in use.
String TrashFolder();
/// Sets the trash folder (created with its files/ and info/ folders at the first move); "" restores the default.
void SetTrashFolder(const String& path);

}  // namespace qelta

QELTA_PUBLIC_END
