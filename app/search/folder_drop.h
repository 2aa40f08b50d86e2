// Folders dropped on a window from Explorer (or any drag source that offers
// files): the first item dropped counts, a folder as it is, a file by the
// folder it lies in. Nothing dropped is ever moved or opened.
#pragma once

#include <windows.h>

#include <string>

// Told the folder on the window's own thread, inside the drag source's
// call: it must return quickly (post anything longer).
using FolderDropped = void (*)(HWND window, const std::wstring& folder);

// The window takes drops from now on; false when the system refused (OLE
// not initialised on this thread, or the window is not this thread's).
bool AcceptFolderDrops(HWND window, FolderDropped onDrop);
void RefuseFolderDrops(HWND window);

// The folder a dropped or named path stands for: a folder itself, the
// folder a file lies in; the path as it is when nothing is there.
std::wstring FolderFor(const std::wstring& path);
