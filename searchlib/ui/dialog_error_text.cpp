#include <cwchar>

#include "pickers.h"
#include "status_text.h"

namespace {

// Texts for CDERR_STRUCTSIZE (1) to CDERR_REGISTERMSGFAIL (12).
const wchar_t* const kGeneralErrors[12] = {
    L"該当するコモンダイアログボックス用の初期化構造体の lStructSize メンバが無効です",
    L"初期化の際にコモンダイアログボックス関数が失敗しました。たとえば、メモリ不足の場合に発生します。",
    L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLETEMPLATE "
    L"フラグがセットされていますが、対応するテンプレートが正しく提供されませんでした",
    L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLETEMPLATE "
    L"フラグがセットされていましたが、対応するインスタンスハンドルが正しく提供されませんでした",
    L"コモンダイアログボックス関数は、指定された文字列のロードに失敗しました",
    L"リソースを見つけられなかったので、コモンダイアログボックス関数が失敗しました",
    L"コモンダイアログボックス関数は、指定されたリソースのロードに失敗しました",
    L"コモンダイアログボックス関数は、指定されたリソースのロックに失敗しました",
    L"コモンダイアログボックス関数は、内部の構造体用のメモリ割り当てを行えませんでした",
    L"コモンダイアログボックス関数は、ハンドルに関連付けられているメモリをロックできませんでした",
    L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLEHOOK "
    L"フラグがセットされていましたが、対応するフックプロシージャを指すポインタが正しく提供されませんでした",
    L"コモンダイアログボックス関数が呼び出した RegisterWindowMessage 関数が、エラーコードを返しました",
};

const wchar_t kDialogFailure[] =
    L"ダイアログボックスを作成できませんでした。DialogBox "
    L"関数に対するコモンダイアログボックス関数の呼び出しに失敗しました。たとえば、"
    L"コモンダイアログボックス関数を呼び出す際に無効なウィンドウハンドルを指定すると、"
    L"この値が発生します。";

}  // namespace

void FnDialogErrorText(DWORD code, wchar_t* out) {
    const wchar_t* text = nullptr;
    if (code == 0xFFFF) {
        text = kDialogFailure;
    } else if (code >= 1 && code <= 12) {
        text = kGeneralErrors[code - 1];
    }
    if (text != nullptr) {
        status::CopyBounded(out, status::kUnits, text, wcslen(text));
        return;
    }
    wsprintfW(out, L"理由が不明なエラーです:%0lx", static_cast<unsigned long>(code));
}
