// FnSearchLines: one file searched in a single pass while its encoding is
// decided on the way (text_encoding.h's rules look at the whole file).
//
// - The first bytes decide a mark and UTF-16 without one (the file's size is
//   known up front), and under binary skip whether a NUL passes the file by.
// - A marked or UTF-16 file, or one that can only be read in the ANSI code
//   page, is searched and written at once.
// - Otherwise, while every byte so far is 7-bit text without an escape,
//   each block is searched and written at once: such text reads alike in
//   every encoding left. From the first block beyond that, the file is
//   searched in the encoding its bytes so far lean to, its records held
//   until the answer is known: at the file's end, or sooner when it can no
//   longer change. They are then written, or, in the rare file whose answer
//   differs, dropped and the blocks from there searched again.
// - Held records are bounded: past heldRecordBytes, or when the leaning
//   changes or a block fails, the search waits for the answer, reading on
//   without searching, then goes on from where it stopped.
// The records are those of deciding the encoding over the whole file first.
#include <cwchar>
#include <vector>

#include "Tessumi.h"
#include "binary_file.h"
#include "block_reader.h"
#include "byte_text.h"
#include "lines.h"
#include "record_buffer.h"
#include "run_skipped.h"
#include "status_text.h"
#include "text_encoding.h"

size_t heldRecordBytes = kHeldRecordBytes;

namespace {

bool AskForStop(void* run, wchar_t* statusText) {
    return static_cast<SearchRun*>(run)->progress.NewBlock(statusText);
}

// Where the search of a file's blocks goes on: the block, the lines before
// it and ISO-2022-JP's character set there.
struct SearchPlace {
    BlockReader::Place block;
    long long number = 0;
    Iso2022Mode mode = Iso2022Mode::Ascii;
};

class FileSearch {
public:
    // source: null for the file at path.
    FileSearch(const wchar_t* path, size_t pathLength, SearchRun& run, wchar_t* statusText,
               BlockSource* source = nullptr, bool neverBinary = false)
        : path_(path), pathLength_(pathLength), run_(run), text_(statusText), source_(source),
          reader_(run.readBuffer),
          skipBinary_(run.options.Has(TESSUMI_SKIP_BINARY) && !neverBinary) {}
    ~FileSearch() { run_.held = nullptr; }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    int Run();

private:
    enum class Phase {
        Probing,  // a mark, UTF-16 or a NUL not yet decided: blocks only fed
        Plain,    // 7-bit text without an escape so far: searched and written
        Holding,  // searched in reading_, its records held
        Waiting,  // holding, but no longer searching: blocks only fed
        Known,    // reading_ is the answer: searched and written
    };
    static constexpr int kGoOn = -1;

    int TakeBlock();
    int Probed();
    int Decide();
    bool Release();
    int SearchFrom(const SearchPlace& place, Phase phase, TextEncoding reading);
    int Failed();
    SearchPlace Here() const { return {reader_.Here(), number_, mode_}; }

    const wchar_t* path_;
    size_t pathLength_;
    SearchRun& run_;
    wchar_t* text_;
    BlockSource* source_;
    BlockReader reader_;
    EncodingDetector detector_;
    BinaryProbe binary_;
    bool skipBinary_;
    Phase phase_ = Phase::Probing;
    TextEncoding reading_ = TextEncoding::Ansi;
    size_t markLength_ = 0;
    BlockCut cut_;
    long long number_ = 0;
    Iso2022Mode mode_ = Iso2022Mode::Ascii;
    RecordBuffer held_;
    SearchPlace heldFrom_;  // the first block held
    SearchPlace resumeAt_;  // where the search goes on once the answer is known
    bool resume_ = false;   // else it stopped at a failure
    int failure_ = kFileSearched;  // a held block's outcome, and its text
    std::wstring failureText_;
};

int FileSearch::Failed() { return FileFailed(run_, path_, text_); }

int FileSearch::Run() {
    if (!(source_ ? reader_.Open(*source_, path_, text_) : reader_.Open(path_, text_)))
        return Failed();
    reader_.PauseWith(AskForStop, &run_);
    detector_.KnowSize(reader_.sourceSize());
    for (;;) {
        if (!reader_.Next(cut_, text_)) return Failed();
        if (phase_ != Phase::Known) {
            detector_.Feed(reader_.data(), reader_.size(), reader_.last());
            if (phase_ == Phase::Probing && skipBinary_) binary_.Feed(reader_.data(), reader_.size());
        }
        const int outcome = TakeBlock();
        if (outcome != kGoOn) return outcome;
        if (!run_.progress.NewBlock(text_)) return kFileFailed;
    }
}

// Goes on from place, in phase (Plain: the reading is not yet known) and
// reading: with the block held now when it starts there, else by reading
// again. The detector is fed again from the start when it is.
int FileSearch::SearchFrom(const SearchPlace& place, Phase phase, TextEncoding reading) {
    const bool here = place.block.offset == reader_.offset();
    phase_ = phase;
    reading_ = reading;
    number_ = place.number;
    mode_ = place.mode;
    const BlockCut cut = CutFor(reading);
    const bool sameCut = cut.unitBytes == cut_.unitBytes;
    cut_ = cut;
    if (here && sameCut) return TakeBlock();
    if (phase != Phase::Known && place.block.offset == 0) {
        detector_ = EncodingDetector();
        detector_.KnowSize(reader_.sourceSize());
    }
    reader_.Seek(place.block);
    return kGoOn;
}

// The block just read: what it decides, and its search.
int FileSearch::TakeBlock() {
    if (phase_ == Phase::Probing) return Probed();
    if (phase_ == Phase::Plain) {
        if (detector_.Settled()) {
            phase_ = Phase::Known;
            reading_ = detector_.Result().encoding;
        } else if (!detector_.SevenBitSoFar() || !SevenBitReadsAlike()) {
            phase_ = Phase::Holding;
            reading_ = detector_.Result().encoding;
            heldFrom_ = Here();
            run_.held = &held_;
        }
    }
    if (phase_ == Phase::Holding && (detector_.Settled() || detector_.Result().encoding != reading_)) {
        // This block is searched once the answer is known.
        resumeAt_ = Here();
        resume_ = true;
        if (detector_.Settled()) return Decide();
        phase_ = Phase::Waiting;
    }
    if (phase_ == Phase::Waiting) return reader_.last() || detector_.Settled() ? Decide() : kGoOn;

    const TextEncoding reading = phase_ == Phase::Plain ? TextEncoding::Utf8 : reading_;
    const int searched =
        SearchBlock(path_, pathLength_, run_, reader_, reading, markLength_, mode_, number_, text_);
    if (searched != kFileSearched) {
        if (run_.progress.stopped()) return kFileFailed;
        if (phase_ != Phase::Holding) return searched == kBlockUndecodable ? Failed() : searched;
        // Perhaps only this reading fails: the answer decides.
        failure_ = searched;
        failureText_ = text_;
        resume_ = false;
        phase_ = Phase::Waiting;
    } else if (phase_ == Phase::Holding && held_.Bytes() > heldRecordBytes) {
        resumeAt_ = {reader_.After(), number_, mode_};
        resume_ = true;
        phase_ = Phase::Waiting;
    }
    if (!reader_.last()) return kGoOn;
    return phase_ == Phase::Holding || phase_ == Phase::Waiting ? Decide() : kFileSearched;
}

// The first blocks: until a mark, UTF-16 and (under binary skip) a NUL near
// the start are decided, which the first block does unless it is tiny.
int FileSearch::Probed() {
    if (binary_.Found() && !detector_.MayBeUtf16()) return kFilePassedBy;
    if (!reader_.last() && (!detector_.Utf16Decided() || (skipBinary_ && !binary_.Done())))
        return kGoOn;
    const DetectedEncoding detected = detector_.Result();
    if (detector_.MayBeUtf16() || detector_.Settled()) {
        markLength_ = detected.markLength;
        return SearchFrom(SearchPlace(), Phase::Known, detected.encoding);
    }
    return SearchFrom(SearchPlace(), Phase::Plain, TextEncoding::Utf8);
}

// The answer is known: the held records are written and the search goes on
// where it stopped, or they are dropped and the blocks held searched again.
int FileSearch::Decide() {
    run_.held = nullptr;
    const TextEncoding answer = detector_.Result().encoding;
    if (answer != reading_) {
        held_.Clear();
        failure_ = kFileSearched;
        return SearchFrom(heldFrom_, Phase::Known, answer);
    }
    if (!Release()) return kFileFailed;
    if (failure_ != kFileSearched) {
        status::CopyBounded(text_, status::Room(), failureText_.c_str(), failureText_.size());
        return failure_ == kBlockUndecodable ? Failed() : failure_;
    }
    if (!resume_) return kFileSearched;
    resume_ = false;
    return SearchFrom(resumeAt_, Phase::Known, reading_);
}

// Writes the records held, and tells the skipped callback the lines passed
// by among them, in order.
bool FileSearch::Release() {
    for (const BufferedRecord& record : held_.records) {
        const bool told =
            record.kind == Buffered::Skipped
                ? TellSkipped(run_, held_.PathOf(record), held_.ReasonOf(record), text_)
                : AppendRecord(run_, path_, pathLength_, record.number, held_.LineOf(record),
                               text_) != 0;
        if (!told) return false;
    }
    held_.Clear();
    return true;
}

}  // namespace

namespace {

int Searched(FileSearch& search, SearchRun& run) {
    const int outcome = search.Run();
    // A big text's buffer goes back to a block's size for the next file.
    if (run.blockText.size() > readBlockSize + 1) {
        run.blockText.resize(readBlockSize + 1);
        run.blockText.shrink_to_fit();
    }
    return outcome;
}

}  // namespace

int FnSearchLines(const wchar_t* path, size_t pathLength, SearchRun& run, wchar_t* statusText) {
    FileSearch search(path, pathLength, run, statusText);
    return Searched(search, run);
}

int SearchSourceLines(BlockSource& source, const wchar_t* path, size_t pathLength, bool text,
                      SearchRun& run, wchar_t* statusText) {
    FileSearch search(path, pathLength, run, statusText, &source, text);
    return Searched(search, run);
}
