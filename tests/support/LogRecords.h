#pragma once
// A log's header row for tests, as the program writes it: the nine titles, then "Button - " and
// the name of each button given, "Button - " alone for the positions without one. Plain C++, for
// the test programs without Qt too.

#include "core/logformat.h"

#include <string>
#include <vector>

inline logformat::Record headerRecord(const std::vector<std::string> &buttons = {}) {
    using namespace logformat;
    Record header;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        header[i] = Field::txt(i < std::size(kFixedTitles) ? std::string(kFixedTitles[i])
                                                            : std::string(kEventTitlePrefix) +
                                                                  (i - FirstEventColumn < buttons.size()
                                                                       ? buttons[i - FirstEventColumn]
                                                                       : std::string()));
    return header;
}
