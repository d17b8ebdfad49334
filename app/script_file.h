// Reading a script into memory, from a file or from standard input.
//
// The text keeps its bytes as they are (no line-end conversion) and gets a line feed appended; its
// string has room for a few bytes more (the scan appends its end bytes in place).
// Every refusal is reported once through the output layer as an Error naming the source.
//
// Thread safety: call from the main thread, before the script thread starts.
#ifndef QUORVALE_APP_SCRIPT_FILE_H_
#define QUORVALE_APP_SCRIPT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// Scripts must hold at least this many bytes, and at most kMaxScriptSize.
constexpr uint64_t kMinScriptSize = 11;
constexpr uint64_t kMaxScriptSize = 0x40000000;  // 1 GiB

// Reads the file at |path| into |text|. Returns false (|text| unchanged) when the file is missing,
// too small, too large (refused before reading), cannot be held in memory, opened or read.
bool readScriptFile(const std::string& path, std::optional<std::string>* text);

// Reads |stream| to its end into |text|, with the same limits, the source named "<stdin>" in the
// messages. Nothing read at all leaves |text| empty-handed (none) and returns true: the script
// thread then reports the missing script.
bool readScriptStream(FILE* stream, std::optional<std::string>* text);

#endif  // QUORVALE_APP_SCRIPT_FILE_H_
