// The texts Windows gives for the error numbers that the Linux stand-ins produce.
#include "platform/platform.h"
#include "platform/units16.h"
#include "platform/utf8.h"

namespace {
struct ErrorText {
    uint32_t number;
    const char16_t* text;
};

const ErrorText kErrorTexts[] = {
    {0, u"The operation completed successfully."},
    {1, u"Incorrect function."},
    {2, u"The system cannot find the file specified."},
    {3, u"The system cannot find the path specified."},
    {4, u"The system cannot open the file."},
    {5, u"Access is denied."},
    {6, u"The handle is invalid."},
    {8, u"Not enough memory resources are available to process this command."},
    {19, u"The media is write protected."},
    {21, u"The device is not ready."},
    {29, u"The system cannot write to the specified device."},
    {30, u"The system cannot read from the specified device."},
    {31, u"A device attached to the system is not functioning."},
    {32, u"The process cannot access the file because it is being used by another process."},
    {38, u"Reached the end of the file."},
    {80, u"The file exists."},
    {87, u"The parameter is incorrect."},
    {109, u"The pipe has been ended."},
    {112, u"There is not enough space on the disk."},
    {122, u"The data area passed to a system call is too small."},
    {123, u"The filename, directory name, or volume label syntax is incorrect."},
    {183, u"Cannot create a file when that file already exists."},
    {206, u"The filename or extension is too long."},
    {223, u"The file size exceeds the limit allowed and cannot be saved."},
    {267, u"The directory name is invalid."},
    {487, u"Attempt to access invalid address."},
    {1006, u"The volume for a file has been externally altered so that the opened file is no "
           u"longer valid."},
    {1117, u"The request could not be performed because of an I/O device error."},
    {1224, u"The requested operation cannot be performed on a file with a user-mapped section "
           u"open."},
    {1921, u"The name of the file cannot be resolved by the system."},
};
} // namespace

uint32_t PlatformFormatMessage(uint32_t error, std::span<char16_t> buffer) {
    if (buffer.empty()) {
        return 0;
    }
    buffer[0] = 0;
    for (const ErrorText& e : kErrorTexts) {
        if (e.number == error) {
            return static_cast<uint32_t>(PlatformCopyUnits(buffer, e.text));
        }
    }
    PlatformSetLastError(317); // ERROR_MR_MID_NOT_FOUND, as Windows reports it
    return 0;
}
