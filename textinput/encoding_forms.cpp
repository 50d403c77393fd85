// The one list of encodings.
#include "textinput/encoding_forms.h"

const EncodingForm kEncodingForms[kEncodingCount] = {
    {Encoding::Ansi, u"ANSI", {0, 0, 0, 0}, 0, 1, false},
    {Encoding::Utf16LE, u"UTF-16LE", {0xFF, 0xFE, 0, 0}, 2, 2, false},
    {Encoding::Utf16BE, u"UTF-16BE", {0xFE, 0xFF, 0, 0}, 2, 2, true},
    {Encoding::Utf8, u"UTF-8", {0xEF, 0xBB, 0xBF, 0}, 3, 1, false},
    {Encoding::Utf32LE, u"UTF-32LE", {0xFF, 0xFE, 0x00, 0x00}, 4, 4, false},
    {Encoding::Utf32BE, u"UTF-32BE", {0x00, 0x00, 0xFE, 0xFF}, 4, 4, true},
};

const EncodingForm& FormOf(Encoding encoding) {
    for (const EncodingForm& form : kEncodingForms) {
        if (form.encoding == encoding) {
            return form;
        }
    }
    return kEncodingForms[0];
}

bool BeginsWithMark(std::span<const uint8_t> bytes, Encoding encoding) {
    const EncodingForm& form = FormOf(encoding);
    if (form.markBytes == 0 || bytes.size() < form.markBytes) {
        return false;
    }
    for (uint32_t i = 0; i < form.markBytes; ++i) {
        if (bytes[i] != form.mark[i]) {
            return false;
        }
    }
    return true;
}
