#include "metered_search.h"

#include <windows.h>

#include <climits>
#include <iterator>

namespace {

// The throw, the unwinding and the few frames between two iterator steps all
// need stack below the point where the meter notices.
constexpr size_t kStackMargin = 256 * 1024;

struct OverLimits {};  // never leaves this file

struct Meter {
    long long left;
    long long advanceCost;
    uintptr_t stackFloor;
};

inline uintptr_t StackPointer() {
#if defined(__GNUC__)
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
#else
    volatile char probe = 0;
    return reinterpret_cast<uintptr_t>(&probe);
#endif
}

// A pointer into the subject that charges its meter for every use.
class MeteredIterator {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = wchar_t;
    using difference_type = std::ptrdiff_t;
    using pointer = const wchar_t*;
    using reference = const wchar_t&;

    MeteredIterator() = default;
    MeteredIterator(const wchar_t* p, Meter* meter) : p_(p), meter_(meter) {}

    reference operator*() const {
        Charge(1);
        return *p_;
    }
    MeteredIterator& operator++() {
        Charge(meter_->advanceCost);
        ++p_;
        return *this;
    }
    MeteredIterator operator++(int) {
        MeteredIterator before = *this;
        ++*this;
        return before;
    }
    MeteredIterator& operator--() {
        Charge(meter_->advanceCost);
        --p_;
        return *this;
    }
    MeteredIterator operator--(int) {
        MeteredIterator before = *this;
        --*this;
        return before;
    }
    friend bool operator==(const MeteredIterator& a, const MeteredIterator& b) {
        if (a.meter_) a.Charge(1);
        return a.p_ == b.p_;
    }
    friend bool operator!=(const MeteredIterator& a, const MeteredIterator& b) { return !(a == b); }

private:
    void Charge(long long cost) const {
        meter_->left -= cost;
        if (meter_->left < 0 || StackPointer() < meter_->stackFloor) throw OverLimits{};
    }

    const wchar_t* p_ = nullptr;
    Meter* meter_ = nullptr;
};

}  // namespace

uintptr_t StackFloor() {
    MEMORY_BASIC_INFORMATION region{};
    uintptr_t here = StackPointer();
    // The whole stack reservation is one allocation; its base is the far end.
    if (VirtualQuery(reinterpret_cast<void*>(here), &region, sizeof region) == 0 ||
        reinterpret_cast<uintptr_t>(region.AllocationBase) >= here) {
        return here;  // unknown: no room at all
    }
    return reinterpret_cast<uintptr_t>(region.AllocationBase) + kStackMargin;
}

size_t StackRoom(uintptr_t floor) {
    uintptr_t sp = StackPointer();
    return sp > floor ? sp - floor : 0;
}

MeteredResult MeteredSearch(const std::wregex& regex, const wchar_t* subject, size_t length,
                            std::regex_constants::match_flag_type flags,
                            const SearchBounds& bounds) {
    Meter meter{bounds.steps, bounds.advanceCost, bounds.stackFloor};
    try {
        bool found = std::regex_search(MeteredIterator(subject, &meter),
                                       MeteredIterator(subject + length, &meter), regex, flags);
        return found ? MeteredResult::Found : MeteredResult::NotFound;
    } catch (const OverLimits&) {
        return MeteredResult::OverLimits;
    }
}

MeteredResult MeteredFirstMatch(const std::wregex& regex, const wchar_t* subject, size_t length,
                                const SearchBounds& bounds, size_t* start, size_t* matchLength) {
    SearchBounds budget = bounds;
    return MeteredMatchFrom(regex, subject, length, 0, std::regex_constants::match_default, budget,
                            start, matchLength);
}

MeteredResult MeteredMatchFrom(const std::wregex& regex, const wchar_t* subject, size_t length,
                               size_t from, std::regex_constants::match_flag_type flags,
                               SearchBounds& bounds, size_t* start, size_t* matchLength) {
    Meter meter{bounds.steps, bounds.advanceCost, bounds.stackFloor};
    try {
        const MeteredIterator begin(subject + from, &meter);
        if (from > 0) flags |= std::regex_constants::match_prev_avail;
        std::match_results<MeteredIterator> match;
        const bool found = std::regex_search(begin, MeteredIterator(subject + length, &meter),
                                             match, regex, flags);
        bounds.steps = meter.left;
        if (!found) return MeteredResult::NotFound;
        // Positions are read without the meter: they are not the matcher's steps.
        meter.left = LLONG_MAX;
        *start = from + static_cast<size_t>(match.position(0));
        *matchLength = static_cast<size_t>(match.length(0));
        return MeteredResult::Found;
    } catch (const OverLimits&) {
        bounds.steps = 0;
        return MeteredResult::OverLimits;
    }
}
