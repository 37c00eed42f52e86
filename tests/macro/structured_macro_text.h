// The structured macro that the portable oracle test and the test of the
// running program both run: a "for" over k = 1, 2 calls "change" with k and a
// counter passed by reference (k = 1 adds 10 to column 3 of the rows whose
// column 2 is "A", k = 2 multiplies the "B" rows' column 3 by 5 and jumps to
// the count), a "do" loop counts to 2 and leaves by "outloop", and the rows
// named "山田" take column 3 times that count and the counter. `mark1` and
// `mark2` go before the "do" line and before the last table statement
// (breakpoints of a debug run).
#pragma once

#include <string>

namespace macrotest {

inline std::string StructuredMacro(const char* mark1 = "", const char* mark2 = "") {
  return std::string("// counts and rewrites\r\n"
                     "\tdefine\tn,k,total\r\n"
                     "\tfor:[k]=1;[k]<#(3);[k]=#([k]+1)\r\n"
                     "\t  call:change\t[k],[n]*\r\n"
                     "\tloop\r\n") +
         mark1 +
         "\tdo\r\n"
         "\t  [total]++\r\n"
         "\t  if:[total]==2\r\n"
         "\t    outloop\r\n"
         "\tloop\r\n" +
         mark2 +
         "\tif:&1==山田\t&3=#(&3*[total]*[n])\r\n"
         "\tE\r\n"
         ":change\tpara\tp,q\r\n"
         "\tif:[p]==1\r\n"
         "\t  if:&2==A\t&3=#(&3+10)\r\n"
         "\telse\r\n"
         "\t  if:&2==B\t&3=#(&3*5)\r\n"
         "\t  jump:count\r\n"
         "\t  [q]++\r\n"
         "\tendif\r\n"
         "Lcount\t[q]++\r\n"
         "\tR\r\n";
}

}  // namespace macrotest
