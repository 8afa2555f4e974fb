#pragma once
// Internal state of an open table (placeholder while the reader is written).
namespace engine {
class TableData {};
class CursorState {};
} // namespace engine
