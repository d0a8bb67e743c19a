#pragma once
// Texts an observer may type that a spreadsheet may take for a number, date, time or formula,
// trim, or decode (an escaped character in the workbook's XML). A double quote reaches the writer
// as typed and is stored as an apostrophe.

#include <string>
#include <vector>

inline const std::vector<std::string> kAwkwardTexts = {
    "Clicked Help, then Back, then left", "first; then second", "it's", "   leading blanks",
    "trailing blanks   ", "Größe – 測試 ✓", "Zürich", "-2", "007", "1e5", "3,5", "12/05/2026", "00:12:34",
    "-> next step", "-- no reaction", "@home", "=1+1", "+1", "-2+3", "@SUM(A1:A2)", "=HYPERLINK(\"x\")", "", "   ",
    "'quoted", "'=1+1", "'+1", "'-2+3", "'@SUM(A1:A2)", "'=HYPERLINK(\"x\")", " =1+1", " +1", " -2+3",
    " @SUM(A1:A2)", " =HYPERLINK(\"x\")", "\t=1+1", "_x0041_ is not A",
};
