#include "sound/oggmemorydecoder.h"

#include <algorithm>
#include <cstring>

bool OggMemoryDecoder::Open(std::vector<uint8_t> fileBytes)
{
    Close();
    bytes = std::move(fileBytes);
    position = 0;
    const ov_callbacks callbacks = {ReadBytes, Seek, CloseFile, Tell};
    // vorbisfile cleans up after itself when the open fails, but leaves the
    // data source alone.
    if (ov_open_callbacks(this, &file, nullptr, 0, callbacks) != 0) {
        CloseFile(this);
        return false;
    }
    open = true;
    const vorbis_info* info = ov_info(&file, -1);
    channels = info ? info->channels : 0;
    rate = info ? int(info->rate) : 0;
    return true;
}

void OggMemoryDecoder::Close()
{
    if (open)
        ov_clear(&file);  // calls CloseFile
    open = false;
    channels = rate = 0;
}

long OggMemoryDecoder::Read(char* buffer, int capacity)
{
    if (!open)
        return 0;
    int section = 0;
    return ov_read(&file, buffer, capacity, 0, 2, 1, &section);
}

bool OggMemoryDecoder::Rewind()
{
    return open && ov_raw_seek(&file, 0) == 0;
}

size_t OggMemoryDecoder::ReadBytes(void* into, size_t size, size_t count, void* source)
{
    OggMemoryDecoder& self = *static_cast<OggMemoryDecoder*>(source);
    if (size == 0)
        return 0;
    const size_t left = self.bytes.size() - self.position;
    const size_t items = std::min(count, left / size);
    if (items == 0)
        return 0;  // also when the bytes are gone: no copy from a null pointer
    memcpy(into, self.bytes.data() + self.position, items * size);
    self.position += items * size;
    return items;
}

int OggMemoryDecoder::Seek(void* source, ogg_int64_t offset, int whence)
{
    OggMemoryDecoder& self = *static_cast<OggMemoryDecoder*>(source);
    const ogg_int64_t size = ogg_int64_t(self.bytes.size());
    // Held to the file's size first, so no sum below can overflow.
    offset = std::clamp<ogg_int64_t>(offset, -size - 1, size + 1);
    ogg_int64_t target = ogg_int64_t(self.position);
    if (whence == SEEK_SET)
        target = offset;
    else if (whence == SEEK_CUR)
        target += offset;
    else if (whence == SEEK_END)
        target = size + offset;
    self.position = size_t(std::clamp<ogg_int64_t>(target, 0, size));
    return 0;
}

int OggMemoryDecoder::CloseFile(void* source)
{
    OggMemoryDecoder& self = *static_cast<OggMemoryDecoder*>(source);
    self.bytes = std::vector<uint8_t>();
    self.position = 0;
    return 0;
}

long OggMemoryDecoder::Tell(void* source)
{
    return long(static_cast<OggMemoryDecoder*>(source)->position);
}
