#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pedlik {

// Where an elimination's progress text goes: standard output, or the buffer
// of a unit of parallel work (a pedigree, a conditioning branch), written
// out later where a single thread would have written it.
class ProgressSink {
public:
    ProgressSink() = default;  // standard output
    explicit ProgressSink(std::string& buffer) : buffer(&buffer) {}

    void print(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void write(const std::string& text) const;

private:
    std::string* buffer = nullptr;
};

// The progress text of the units of one batch, written to one sink in unit
// order whatever order they run in. A unit that starts once every unit
// before it is written out writes straight to the sink (so a single thread
// prints as it goes); any other unit writes into its own buffer, written out
// once it and every unit before it have finished.
class OrderedProgress {
public:
    OrderedProgress(ProgressSink out, int unitCount);

    ProgressSink start(int unit);
    // `last`: the text of the units after this one is never written out.
    // `closing` writes what follows the unit's text once that is written
    // out, in unit order, so it may use what the units before it closed on.
    void finish(int unit, bool last = false, std::function<void(ProgressSink)> closing = {});
    // Whether a unit before this one finished as the last.
    bool cutOff(int unit);

private:
    std::mutex mutex;
    ProgressSink out;
    std::vector<std::string> buffers;
    std::vector<std::function<void(ProgressSink)>> closings;
    std::vector<char> finished;
    int written = 0;   // units written out, a prefix of all
    int end;           // units from this one on are never written out
};

}  // namespace pedlik
