#pragma once
// The program's one FSUIPC link and the Ipc* functions over it. The link is
// closed when the program ends.
#include <cstdint>
#include <memory>

#include "fsuipc/ipc_link.h"

namespace vorn {

IpcLink& ProgramLink();

// Replaces the transport under the program's link (closing the link first).
// nullptr goes back to the platform transport. The caller keeps whatever the
// transport refers to (a SimServer, say) alive until it is replaced or the
// program ends.
void SetProgramTransport(std::unique_ptr<IpcTransport> transport);

bool IpcOpen(std::uint32_t simVersion, IpcResult& result);
void IpcClose();
bool IpcQueueRead(std::uint32_t offset, std::uint32_t size, void* destination, IpcResult& result);
bool IpcQueueWrite(std::uint32_t offset, std::uint32_t size, const void* source, IpcResult& result);
bool IpcExchange(IpcResult& result);
std::int16_t IpcReadByte(std::uint16_t offset);
std::int32_t IpcReadLong(std::uint16_t offset);
bool IpcWriteByte(std::uint8_t value, std::uint16_t offset);
bool IpcWriteLong(std::int32_t value, std::uint16_t offset);
IpcResult IpcWriteBlock(const void* source, std::uint16_t offset, std::uint16_t size);
IpcResult IpcReadBlock(void* destination, std::uint16_t offset, std::uint16_t size);

}  // namespace vorn
