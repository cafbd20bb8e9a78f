#include "compiler/script_lexer.h"

#include <algorithm>

namespace vorn {

TCustomLexer::TCustomLexer(MemoryStream& input) {
    reader_.AssignStream(&input);
    reader_.Reset();
}

bool TCustomLexer::ReadNextLine() {
    if (inputDone_) return false;
    if (start_ >= line_.size()) {
        // Nothing of the current line is pending: read straight into it.
        cursor_ = marker_ = start_ = 0;
        lineShift_ = 0;
        if (!reader_.ReadLine(line_)) {
            inputDone_ = true;
            return false;
        }
    } else {
        // Keep an unfinished match (from start_ on); everything before it is done.
        if (!reader_.ReadLine(scratch_)) {
            inputDone_ = true;
            return false;
        }
        line_.erase(0, start_);
        cursor_ -= std::min(cursor_, start_);
        marker_ -= std::min(marker_, start_);
        start_ = 0;
        lineShift_ = static_cast<int>(line_.size());
        line_.append(scratch_);
    }
    ++lineNumber_;
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
        ++lineShift_;
    }
    start_ = std::min(start_, cursor_);
    marker_ = std::min(marker_, cursor_);
}

}  // namespace vorn
