#include "workbench/offsets_browser.h"

namespace vorn {

void OffsetsBrowser::SetFilter(std::string_view word) {
    rows_.clear();
    for (const CatalogueEntry& entry : OffsetCatalogue()) {
        if (OffsetMatches(entry, word)) rows_.push_back(&entry);
    }
}

std::vector<std::string> OffsetsBrowser::Cells(std::size_t row) const {
    return row < rows_.size() ? OffsetTableCells(*rows_[row]) : std::vector<std::string>{};
}

std::string OffsetsBrowser::Declaration(std::size_t row) const {
    return row < rows_.size() ? OffsetDeclaration(*rows_[row]) : std::string();
}

}  // namespace vorn
