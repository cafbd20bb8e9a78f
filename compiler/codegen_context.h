#pragma once
// What the code generator's actions see of the parser at a reduction: the
// value stack, the value register, the name table and the listing.
#include <cstdint>
#include <string>

namespace vorn {

class ActionContext {
public:
    virtual ~ActionContext() = default;
    // For a rule of n symbols the k-th symbol's value is StackValue(n - k).
    virtual std::int32_t StackValue(int depthBelowTop) const = 0;
    virtual void SetValue(std::int32_t value) = 0;
    // The name table's text for an index; empty for an index it does not hold.
    virtual const std::string& NameText(std::int32_t index) const = 0;
    // A counted diagnostic, written whatever the listing switch says.
    virtual void ReportError(const std::string& message) = 0;
    virtual void WriteListingLine(const std::string& text) = 0;
};

}  // namespace vorn
