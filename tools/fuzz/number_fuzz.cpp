// The numbers read from the window's texts: the port text ("COM12"), the HID
// entry ("Vemra HIDDevice ID: 5"), the time-out edits and the settings values.
#include <cstdlib>
#include <string>

#include "quillard/field_parse.h"
#include "quillard/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const unsigned long port = NumberAfterLeading(text, "COM");
    if (text.empty() && port != 0) std::abort();
    (void)NumberAfterLeading(text, "Vemra HIDDevice ID: ");
    if (const auto value = ParseUnsignedField(text)) {
        if (std::to_string(*value).size() > text.size()) std::abort();
    }
    (void)AtoiValue(text);
    return 0;
}
