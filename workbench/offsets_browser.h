#pragma once
// Help > FSUIPC Offsets... without a toolkit: the rows either window's dialog
// shows for its filter word, and the declaration a double-clicked row puts
// at the editor's caret.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fsuipc/offsets_catalogue.h"

namespace vorn {

class OffsetsBrowser {
public:
    OffsetsBrowser() { SetFilter({}); }

    // The catalogue's entries whose name, description or offset holds word
    // (any letter case); the empty word keeps them all.
    void SetFilter(std::string_view word);

    static std::span<const std::string_view> Headings() { return OffsetTableHeadings(); }
    std::size_t RowCount() const { return rows_.size(); }
    // A row's cells under Headings(); empty for a row that is not there.
    std::vector<std::string> Cells(std::size_t row) const;
    // "int IndicatedAirspeed at $02BC;", or "" for a row that is not there.
    std::string Declaration(std::size_t row) const;

private:
    std::vector<const CatalogueEntry*> rows_;
};

}  // namespace vorn
