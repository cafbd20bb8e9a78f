#include "compiler/script_lexer.h"

#include <algorithm>

namespace vorn {

TCustomLexer::TCustomLexer(MemoryStream& input) {
    reader_.AssignStream(&input);
    reader_.Reset();
}

bool TCustomLexer::ReadNextLine() {
    if (inputDone_) return false;
    if (!reader_.ReadLine(scratch_)) {
        inputDone_ = true;
        return false;
    }
    ++lineNumber_;
    // Keep an unfinished match (from start_ on); everything before it is done.
    const std::size_t keep = std::min(start_, line_.size());
    if (keep > 0) {
        line_.erase(0, keep);
        cursor_ -= std::min(cursor_, keep);
        marker_ -= std::min(marker_, keep);
        start_ = 0;
    }
    line_.append(scratch_);
    line_.push_back('\n');
    return true;
}

unsigned char TCustomLexer::PeekNextLine() {
    while (cursor_ >= line_.size()) {
        if (!ReadNextLine()) return 0;
    }
    return static_cast<unsigned char>(line_[cursor_]);
}

int TCustomLexer::ReadChar() {
    // Whoever reads directly has finished the match before.
    start_ = std::min(cursor_, line_.size());
    while (cursor_ >= line_.size()) {
        if (!ReadNextLine()) {
            cursor_ = marker_ = start_ = line_.size();
            return kEndOfInput;
        }
    }
    const auto ch = static_cast<unsigned char>(line_[cursor_]);
    ++cursor_;
    return ch;
}

void TCustomLexer::UnreadChar(char ch) {
    cursor_ = std::min(cursor_, line_.size());
    if (cursor_ > 0) {
        line_[--cursor_] = ch;
    } else {
        line_.insert(line_.begin(), ch);
    }
    start_ = std::min(start_, cursor_);
    marker_ = std::min(marker_, cursor_);
}

}  // namespace vorn
