// The program's message boxes: one caption, and an icon that tells a failure
// from a question that can lose data and from plain information.
#pragma once

#include <windows.h>

// The caption of every box the program shows.
extern const wchar_t kProgramCaption[];

// Something failed: MB_OK with the error icon.
void ShowFailureBox(HWND owner, const wchar_t* text);

// Neither a failure nor a question: MB_OK with the information icon.
void ShowInformationBox(HWND owner, const wchar_t* text);

// A question whose answers both keep every file; true for "はい".
bool AskYesNo(HWND owner, const wchar_t* text);

// A question whose "はい" can lose data; true only for "はい".
bool AskBeforeLosingData(HWND owner, const wchar_t* text);
