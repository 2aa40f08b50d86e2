#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "pickers.h"
#include "test_support.h"

using testing_support::Show;

namespace {

struct Expected {
    DWORD code;
    const wchar_t* text;
    size_t characters;
};

// Every listed common-dialog error, with its text and its length in characters.
const Expected kListed[] = {
    {1, L"該当するコモンダイアログボックス用の初期化構造体の lStructSize メンバが無効です", 46},
    {2, L"初期化の際にコモンダイアログボックス関数が失敗しました。たとえば、メモリ不足の場合に発生します。",
     48},
    {3,
     L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLETEMPLATE "
     L"フラグがセットされていますが、対応するテンプレートが正しく提供されませんでした",
     91},
    {4,
     L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLETEMPLATE "
     L"フラグがセットされていましたが、対応するインスタンスハンドルが正しく提供されませんでした",
     96},
    {5, L"コモンダイアログボックス関数は、指定された文字列のロードに失敗しました", 35},
    {6, L"リソースを見つけられなかったので、コモンダイアログボックス関数が失敗しました", 38},
    {7, L"コモンダイアログボックス関数は、指定されたリソースのロードに失敗しました", 36},
    {8, L"コモンダイアログボックス関数は、指定されたリソースのロックに失敗しました", 36},
    {9, L"コモンダイアログボックス関数は、内部の構造体用のメモリ割り当てを行えませんでした", 40},
    {10, L"コモンダイアログボックス関数は、ハンドルに関連付けられているメモリをロックできませんでした",
     45},
    {11,
     L"該当するコモンダイアログボックス用の初期化構造体の Flags メンバで ENABLEHOOK "
     L"フラグがセットされていましたが、対応するフックプロシージャを指すポインタが正しく提供されませんでした",
     98},
    {12, L"コモンダイアログボックス関数が呼び出した RegisterWindowMessage 関数が、エラーコードを返しました",
     59},
    {0xFFFF,
     L"ダイアログボックスを作成できませんでした。DialogBox 関数に対するコモンダイアログボックス関数の"
     L"呼び出しに失敗しました。たとえば、コモンダイアログボックス関数を呼び出す際に無効なウィンドウ"
     L"ハンドルを指定すると、この値が発生します。",
     119},
    // Unlisted codes: the lead text, then the code in lowercase hex, no padding.
    {0, L"理由が不明なエラーです:0", 13},
    {13, L"理由が不明なエラーです:d", 13},
    {0x3001, L"理由が不明なエラーです:3001", 16},
    {0x3003, L"理由が不明なエラーです:3003", 16},
    {0x10000, L"理由が不明なエラーです:10000", 17},
    {0xFFFFFFFF, L"理由が不明なエラーです:ffffffff", 20},
};

// The writer's output in a buffer pre-filled with a marker, so a missing
// terminator or a write past the text shows up.
std::wstring TextFor(DWORD code, size_t* written) {
    wchar_t out[256 + 8];
    std::fill(std::begin(out), std::end(out), L'#');
    FnDialogErrorText(code, out);
    std::wstring text(out);  // stops at the terminating zero
    *written = static_cast<size_t>(std::find(std::begin(out), std::end(out), L'#') - out);
    return text;
}

TEST(DialogErrorText, EveryCodeGivesItsExactTextAndLength) {
    for (const Expected& e : kListed) {
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << e.code);
        size_t written = 0;
        std::wstring text = TextFor(e.code, &written);
        EXPECT_EQ(text, e.text) << Show(text);
        EXPECT_EQ(text.size(), e.characters);
        // Exactly the text and its terminating zero, nothing beyond.
        EXPECT_EQ(written, e.characters + 1);
    }
}

}  // namespace
