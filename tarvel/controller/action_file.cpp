// Loading the action file: reading it whole into a block, counting its entries and
// deleting it.
#include "action_file.h"

#include <algorithm>
#include <string>

#include "qurdex.h"
#include "text_field.h"

namespace {

const uint8_t kReadAccess = 1;
const uint8_t kDenyNone = 0;
const uint8_t kDevice = 0;
const uint8_t kReadSize = 128;
const uint8_t kReadBytes = 0;

// The block holds the whole file and at least the header and actionCount whole entries,
// so a file that ends inside its last entry (or its header) still gives a table whose
// missing bytes are zero: such an entry starts nothing (runFlag 0).
uint64_t block_size(uint32_t fileSize, uint32_t actionCount)
{
    uint64_t whole = sizeof(ActionHeader) + uint64_t(actionCount) * sizeof(ActionEntry);
    return std::max<uint64_t>(fileSize, whole);
}

} // namespace

bool load_action_file(ControllerRun &run, int32_t &returnCode)
{
    // The run-time reads a name up to a space or NUL; a full 10-character field has
    // neither, so it gets a bounded, NUL-ended copy.
    const std::string name = frame::field_text(run.fileName, sizeof run.fileName);
    returnCode = CBL_OPEN_FILE(name.c_str(), &kReadAccess, &kDenyNone, &kDevice, &run.fileHandle);
    if (returnCode != 0) {
        returnCode = returnCode == QX_FILE_NOT_FOUND ? kActionFileMissing : kActionFileUnreadable;
        return false;
    }

    run.readFlags = kReadSize;
    returnCode = CBL_READ_FILE(&run.fileHandle, run.fileOffset.bytes, run.byteCount.bytes,
                               &run.readFlags, nullptr);
    bool readable = returnCode == 0 && run.fileOffset.get() <= UINT32_MAX;
    run.byteCount.set(run.fileOffset.get() & UINT32_MAX);
    run.fileOffset.set(0);
    const uint32_t fileSize = static_cast<uint32_t>(run.byteCount.get());
    const bool isShort = fileSize < kActionCountBase;
    const uint32_t count = isShort ? 0 : (fileSize - kActionCountBase) / sizeof(ActionEntry);

    void *block = nullptr;
    const uint64_t size = block_size(fileSize, count);
    readable = readable && size <= UINT32_MAX;
    if (readable) {
        returnCode = CBL_ALLOC_MEM(&block, static_cast<uint32_t>(size), 0);
        readable = returnCode == 0;
    }
    if (readable) {
        run.readFlags = kReadBytes;
        returnCode = CBL_READ_FILE(&run.fileHandle, run.fileOffset.bytes, run.byteCount.bytes,
                                   &run.readFlags, block);
        readable = returnCode == 0;
    }
    returnCode = CBL_CLOSE_FILE(&run.fileHandle);
    if (!readable) {
        returnCode = kActionFileUnreadable;
        return false;
    }

    // A short file was read too, so it goes the way of every read file; its block holds
    // no entry to run.
    run.loadedBlock = static_cast<ActionTable *>(block);
    run.actionCount = count;
    returnCode = CBL_DELETE_FILE(name.c_str());
    if (isShort) {
        returnCode = kActionFileShort;
        return false;
    }
    return true;
}
