// One running instance at a time, counted across every process of the image.
#pragma once

#include <windows.h>

// Counts this start; true when no other process of the program counted
// before it.
bool CountThisInstance();

// Takes this process's count back: a refused start does so before anything
// else, so that it never keeps a later start out; the running instance does
// so as it ends.
void UncountThisInstance();

// What a refused start does instead of a box: the running instance's window
// comes to the front, restored if minimised, with its open dialog (if any)
// on top. Nothing when there is no such window.
void BringForward(HWND runningMainWindow);
