// The message vocabulary between the processor and its edit controller: ids of the IMessage objects
// the two components exchange through the host, and the one attribute most of them carry.
#pragma once

namespace vanto {

// The byte-block attribute holding a message's payload (JSON, text or a raw record), without a
// terminator.
inline constexpr const char* kMessagePayloadAttribute = "json";
// The integer attribute of a transport poll: 1 when the page has just subscribed, else 0.
inline constexpr const char* kMessageResetAttribute = "reset";
// The integer attribute of a signal feed request: the OR of the "meters" (16) and "scope" (32) feed
// bits the page subscribes to, 0 when it subscribes to neither.
inline constexpr const char* kMessageFeedsAttribute = "feeds";

// Processor to controller.
inline constexpr const char* kMessageRuntimeDiagnostics = "vanto.runtimeDiagnostics";
inline constexpr const char* kMessageHostFacts = "vanto.diag.hostFacts";
inline constexpr const char* kMessageRuntimeBankResult = "vanto.runtimeBankResult";
inline constexpr const char* kMessageLifecycle = "vanto.diag.lifecycle";
inline constexpr const char* kMessageTransport = "vanto.diag.transport";
inline constexpr const char* kMessageSignal = "vanto.diag.signal";
// The controllers that moved since the last feed drain: three bytes per controller (number, channel
// 1 ... 16, value).
inline constexpr const char* kMessageMidiIn = "vanto.diag.midiIn";

// Controller to processor.
inline constexpr const char* kMessageCcMap = "vanto.ccMap";
inline constexpr const char* kMessageLoadRuntimeBank = "vanto.loadRuntimeBank";
inline constexpr const char* kMessagePadOverrides = "vanto.padOverrides";
inline constexpr const char* kMessagePresetLoaded = "vanto.diag.presetLoaded";
inline constexpr const char* kMessageTransportPoll = "vanto.diag.transportPoll";
inline constexpr const char* kMessageFeedDrain = "vanto.diag.feedDrain";
inline constexpr const char* kMessageResetCounters = "vanto.diag.resetCounters";
inline constexpr const char* kMessageStageResourceSlot = "vanto.stageResourceSlot";
inline constexpr const char* kMessageSignalFeeds = "vanto.diag.signalFeeds";

} // namespace vanto
