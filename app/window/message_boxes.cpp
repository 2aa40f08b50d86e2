#include "message_boxes.h"

const wchar_t kProgramCaption[] = L"Varnelo";

void ShowFailureBox(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, kProgramCaption, MB_OK | MB_ICONERROR);
}

void ShowInformationBox(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, kProgramCaption, MB_OK | MB_ICONINFORMATION);
}

bool AskYesNo(HWND owner, const wchar_t* text) {
    return MessageBoxW(owner, text, kProgramCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool AskBeforeLosingData(HWND owner, const wchar_t* text) {
    // "いいえ" is the default button: Enter pressed by habit keeps the file.
    return MessageBoxW(owner, text, kProgramCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}
