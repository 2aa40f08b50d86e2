// A results file opened as FnLookFor opens it, with a search run around it,
// for tests that call the line search on their own files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "handle_owner.h"
#include "run_state.h"
#include "test_support.h"
#include "writer.h"

namespace testing_support {

const std::wstring kBom = L"\xFEFF";

class ResultsRun : public ::testing::Test {
protected:
    // A fresh run with pattern 2 and its block started as U+FEFF alone. A
    // handle without write access is opened on the file as it is.
    void Open(const wchar_t* pattern2, DWORD access = GENERIC_WRITE) {
        run.reset();
        results.reset();  // the file is held unshared: close it before opening again
        results.reset(CreateFileW(resultsName.c_str(), access, 0, nullptr,
                                  access == GENERIC_WRITE ? CREATE_ALWAYS : OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(results.valid());
        run = std::make_unique<SearchRun>(results.get(), resultsName.c_str(), L"", pattern2);
        run->block.text[0] = kBom[0];
        run->block.text[1] = 0;
        run->block.length = 1;
    }

    // Writes what is left in the block, closes the file and returns its text.
    std::wstring Finish() {
        EXPECT_EQ(FnWriteOut(results.get(), resultsName.c_str(), run->block.text,
                             static_cast<int>(run->block.length * 2), status),
                  1);
        results.reset();
        return ReadText(resultsName);
    }

    TempDir dir;
    std::wstring resultsName = dir / L"results.txt";
    FileHandle results;
    std::unique_ptr<SearchRun> run;
    wchar_t status[256];
};

}  // namespace testing_support
