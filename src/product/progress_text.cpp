#include "product/progress_text.hpp"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "base/allocation.hpp"

namespace pedlik {

void ProgressSink::print(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    if (buffer == nullptr) {
        std::vprintf(format, args);
    } else {
        va_list sizing;
        va_copy(sizing, args);
        const int length = std::vsnprintf(nullptr, 0, format, sizing);
        va_end(sizing);
        const std::size_t at = buffer->size();
        allocateOrDie("progress text", [&] { buffer->resize(at + static_cast<std::size_t>(length) + 1); });
        std::vsnprintf(buffer->data() + at, static_cast<std::size_t>(length) + 1, format, args);
        buffer->pop_back();  // the terminating zero
    }
    va_end(args);
}

void ProgressSink::write(const std::string& text) const {
    if (buffer == nullptr) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        allocateOrDie("progress text", [&] { buffer->append(text); });
    }
}

OrderedProgress::OrderedProgress(ProgressSink out, int unitCount) : out(out), end(unitCount) {
    allocateOrDie("progress text", [&] {
        buffers.resize(static_cast<std::size_t>(unitCount));
        closings.resize(static_cast<std::size_t>(unitCount));
        finished.assign(static_cast<std::size_t>(unitCount), 0);
    });
}

ProgressSink OrderedProgress::start(int unit) {
    const std::lock_guard lock(mutex);
    return unit == written && unit < end ? out : ProgressSink(buffers[static_cast<std::size_t>(unit)]);
}

void OrderedProgress::finish(int unit, bool last, std::function<void(ProgressSink)> closing) {
    const std::lock_guard lock(mutex);
    finished[static_cast<std::size_t>(unit)] = 1;
    closings[static_cast<std::size_t>(unit)] = std::move(closing);
    if (last && unit < end) end = unit + 1;
    while (written < end && finished[static_cast<std::size_t>(written)]) {
        std::string& text = buffers[static_cast<std::size_t>(written)];
        out.write(text);
        text = {};
        std::function<void(ProgressSink)>& close = closings[static_cast<std::size_t>(written)];
        if (close) close(out);
        close = {};
        ++written;
    }
}

bool OrderedProgress::cutOff(int unit) {
    const std::lock_guard lock(mutex);
    return unit >= end;
}

}  // namespace pedlik
