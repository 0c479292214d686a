#include "frame/RuntimeError.h"

#include <iterator>
#include <utility>

namespace orvalis {

namespace {

struct Description {
  int32_t number;
  const char16_t* text;
};

// The runtime's wording, character for character: hosts show these texts
// in message boxes and compare them in scripts.
constexpr Description kDescriptions[] = {
    {3, u"Return without GoSub"},
    {5, u"Invalid procedure call or argument"},
    {6, u"Overflow"},
    {7, u"Out of memory"},
    {9, u"Subscript out of range"},
    {10, u"This array is fixed or temporarily locked"},
    {11, u"Division by zero"},
    {13, u"Type mismatch"},
    {14, u"Out of string space"},
    {16, u"Expression too complex"},
    {17, u"Can't perform requested operation"},
    {18, u"User interrupt occurred"},
    {20, u"Resume without error"},
    {28, u"Out of stack space"},
    {35, u"Sub or Function not defined"},
    {47, u"Too many DLL application clients"},
    {48, u"Error in loading DLL"},
    {49, u"Bad DLL calling convention"},
    {51, u"Internal error"},
    {52, u"Bad file name or number"},
    {53, u"File not found"},
    {54, u"Bad file mode"},
    {55, u"File already open"},
    {57, u"Device I/O error"},
    {58, u"File already exists"},
    {59, u"Bad record length"},
    {61, u"Disk full"},
    {62, u"Input past end of file"},
    {63, u"Bad record number"},
    {67, u"Too many files"},
    {68, u"Device unavailable"},
    {70, u"Permission denied"},
    {71, u"Disk not ready"},
    {74, u"Can't rename with different drive"},
    {75, u"Path/File access error"},
    {76, u"Path not found"},
    {91, u"Object variable or With block variable not set"},
    {92, u"For loop not initialized"},
    {93, u"Invalid pattern string"},
    {94, u"Invalid use of Null"},
    {321, u"Invalid file format"},
    {422, u"Property not found"},
    {423, u"Property or method not found"},
    {424, u"Object required"},
    {429, u"ActiveX component can't create object"},
    {430, u"Class doesn't support Automation or doesn't support expected interface"},
    {432, u"File name or class name not found during Automation operation"},
    {438, u"Object doesn't support this property or method"},
    {440, u"Automation error"},
    {445, u"Object doesn't support this action"},
    {446, u"Object doesn't support named arguments"},
    {447, u"Object doesn't support current locale setting"},
    {448, u"Named argument not found"},
    {449, u"Argument not optional"},
    {450, u"Wrong number of arguments or invalid property assignment"},
    {451, u"Property let procedure not defined and property get procedure did not return an object"},
    {452, u"Invalid ordinal"},
    {453, u"Specified DLL function not found"},
    {457, u"This key is already associated with an element of this collection"},
    {458, u"Variable uses an Automation type not supported in Visual Basic"},
    {461, u"Method or data member not found"},
    {462, u"The remote server machine does not exist or is unavailable"},
    {463, u"Class not registered on local machine"},
    {481, u"Invalid picture"},
    {482, u"Printer error"},
};

constexpr const char16_t* kApplicationDefined = u"Application-defined or object-defined error";

}  // namespace

std::u16string standardDescription(int32_t number) {
  for (const Description& entry : kDescriptions) {
    if (entry.number == number) return entry.text;
  }
  return kApplicationDefined;
}

RuntimeError::RuntimeError(int32_t number)
    : number_(number), description_(standardDescription(number)) {}

RuntimeError::RuntimeError(int32_t number, std::u16string description)
    : number_(number), description_(std::move(description)) {}

}  // namespace orvalis
