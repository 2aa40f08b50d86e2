// A folder to search offered from outside the dialog: named on the command
// line (Explorer's menu runs "Varnelo.exe FOLDER"), dropped on the main
// window, or handed over by a second start. The search dialog opens with it
// as 入力先 and the other fields as last used, as soon as nothing else holds
// the window: an open search dialog takes it into its field, a running
// search or another box keeps it until it is done. Nothing offered is lost
// and nothing the user is answering is taken away.
#pragma once

#include <windows.h>

#include <string>

// The folder named on a program's command line after the program itself;
// empty when none. Taken as written, quotes removed: no backslash escapes
// (Explorer passes a drive as "C:\").
std::wstring FolderArgument(const wchar_t* commandLine);

// A second start's part: hands the folder to the running main window, which
// may then come forward by itself. False when the window did not take it.
bool HandFolderTo(HWND runningMainWindow, const std::wstring& folder);

// Offers a folder (a dropped or named file stands for its folder).
void OfferFolder(HWND mainWindow, const std::wstring& path);

// The main window's part: WM_COPYDATA from a second start, and its own
// reminder to open the dialog; true when message was one of them.
bool HandleFolderOffer(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* result);

// Something that held the window has ended (a search, a box): an offer kept
// meanwhile is shown now.
void RetryFolderOffer(HWND mainWindow);
