#pragma once
// What every repair keeps to, whatever bytes it is given: it reads nothing
// outside the file and leaves no side file; a file it does not repair stays
// as it was; a repaired one changes only the header's totals and what
// follows the packets, grows by no more than the index it got, and a second
// repair leaves it as it is. Used by the mutation test and the fuzz target.

#include <cstddef>
#include <cstdint>
#include <string>

// Empty, or the rule that was broken.
std::string CheckRepairProperties(const uint8_t* data, size_t size);
