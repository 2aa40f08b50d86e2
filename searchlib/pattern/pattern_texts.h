// The failure texts of the pattern test: which pattern, what went wrong.
// Every reason the pattern module gives is here.
#pragma once

#include <regex>
#include <string>

enum class PatternRole;

// Where the test failed: compiling the pattern or searching with it.
enum class PatternStage { Compile, Search };

// The reason for a compiler error code; codes without a text of their own
// get the general syntax reason.
const wchar_t* PatternErrorReason(std::regex_constants::error_type code);

// Why a pattern is refused for a character typed with the IME on, the one at
// pattern[at] (ime_characters.h): "5 文字目「３」は全角の数字です。半角で
// 入力してください", counting characters from 1.
std::wstring ImeCharacterReason(const std::wstring& pattern, size_t at);

extern const wchar_t kPatternSyntaxReason[];    // anything else the grammar rejects
extern const wchar_t kPatternLimitsReason[];    // a search needed more than one test may use
extern const wchar_t kPatternTooLongReason[];   // too long to compile on this thread's stack
extern const wchar_t kPatternNoMemoryReason[];  // memory ran out

// Writes "パターン１「pattern」" + the stage's lead-in + reason into
// statusText through the status module. A pattern too long for the 255 units
// is shortened with "…" so that the reason always shows whole.
void ComposePatternFailure(wchar_t* statusText, PatternRole role, const std::wstring& pattern,
                           PatternStage stage, const wchar_t* reason);
