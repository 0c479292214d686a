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

constexpr uint32_t kControlFacility = 0x800A0000u;

struct HresultNumber {
  uint32_t hresult;
  int32_t number;
};

// The failures of calls that the runtime reports under a VB error number.
constexpr HresultNumber kHresultNumbers[] = {
    {0x80004001u, 445},  // E_NOTIMPL: Object doesn't support this action
    {0x80004002u, 430},  // E_NOINTERFACE
    {0x80070005u, 70},   // E_ACCESSDENIED: Permission denied
    {0x8007000Eu, 7},    // E_OUTOFMEMORY: Out of memory
    {0x80070057u, 5},    // E_INVALIDARG: Invalid procedure call or argument
    {0x80020001u, 438},  // DISP_E_UNKNOWNINTERFACE
    {0x80020003u, 438},  // DISP_E_MEMBERNOTFOUND
    {0x80020004u, 448},  // DISP_E_PARAMNOTFOUND: Named argument not found
    {0x80020005u, 13},   // DISP_E_TYPEMISMATCH
    {0x80020006u, 438},  // DISP_E_UNKNOWNNAME
    {0x80020007u, 446},  // DISP_E_NONAMEDARGS
    {0x80020008u, 458},  // DISP_E_BADVARTYPE
    {0x8002000Au, 6},    // DISP_E_OVERFLOW
    {0x8002000Bu, 9},    // DISP_E_BADINDEX: Subscript out of range
    {0x8002000Cu, 447},  // DISP_E_UNKNOWNLCID
    {0x8002000Du, 10},   // DISP_E_ARRAYISLOCKED
    {0x8002000Eu, 450},  // DISP_E_BADPARAMCOUNT
    {0x8002000Fu, 449},  // DISP_E_PARAMNOTOPTIONAL: Argument not optional
    {0x80020012u, 11},   // DISP_E_DIVBYZERO
    {0x80028CA0u, 13},   // TYPE_E_TYPEMISMATCH
    {0x80028CA1u, 9},    // TYPE_E_OUTOFBOUNDS
};

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

int32_t errorNumberForHresult(int32_t hresult) {
  const auto code = static_cast<uint32_t>(hresult);
  if ((code & 0xFFFF0000u) == kControlFacility) return static_cast<int32_t>(code & 0xFFFFu);
  for (const HresultNumber& entry : kHresultNumbers) {
    if (entry.hresult == code) return entry.number;
  }
  return 0;
}

RuntimeError hostCallError(int32_t hresult, std::u16string description, std::u16string_view systemText,
                           std::u16string source) {
  const int32_t number = errorNumberForHresult(hresult);
  if (number == 0 && description.empty()) {
    description = standardDescription(vb_error::AutomationError);
    if (!systemText.empty()) {
      description += u'\n';
      description += systemText;
    }
  }
  RuntimeError error = number == 0         ? RuntimeError(hresult, std::move(description))
                       : description.empty() ? RuntimeError(number)
                                             : RuntimeError(number, std::move(description));
  error.setSource(std::move(source));
  return error;
}

}  // namespace orvalis
