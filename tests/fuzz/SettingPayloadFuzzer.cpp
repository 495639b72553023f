// Any payload either fails to read or reads into a record that writes and reads back
// equal; a failed read never reaches past the bytes given.
#include <cstdint>
#include <cstdlib>

#include "lockcore/SettingPayload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CLockSetting read;
    CByteReader reader(data, static_cast<uint32_t>(size));
    if (!CSettingReader(&read).Read(reader))
        return 0;
    CByteWriter writer;
    CSettingWriter(&read).Write(writer);
    CLockSetting again;
    CByteReader rereader(writer.Data(), writer.Size());
    if (!CSettingReader(&again).Read(rereader) || rereader.Remaining() != 0 || !IsEqualSetting(read, again))
        std::abort();
    return 0;
}
