#pragma once
// Message boxes. The program installs a Qt implementation at start; without one
// (tests, host requests) every box returns its default answer and its text is kept.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace msg {
// Button sets and flags, numbered as the program has always used them.
constexpr int kOk = 0x0;
constexpr int kOkCancel = 0x1;
constexpr int kYesNoCancel = 0x3;
constexpr int kYesNo = 0x4;
constexpr int kRetryCancel = 0x5;
constexpr int kButtonMask = 0xF;
constexpr int kIconError = 0x10;
constexpr int kIconQuestion = 0x20;
constexpr int kIconWarning = 0x30;
constexpr int kIconInformation = 0x40;
constexpr int kIconMask = 0xF0;
constexpr int kDefButton2 = 0x100;
constexpr int kDefButton3 = 0x200;
constexpr int kDefButtonMask = 0xF00;
constexpr int kSystemModal = 0x1000;

// Answers.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace msg

struct RecordedMessage {
    std::string text;     // UTF-8
    std::string caption;  // UTF-8
    int buttons = 0;
    int answer = 0;
};

using MessageHandler =
    std::function<int(const std::string& text, const std::string& caption, int buttons)>;

// Shows a message (UTF-8 texts) and returns the pressed button.
int ShowMessage(const std::string& text, const std::string& caption = "", int buttons = msg::kOk);

// The answer a box gives when nobody is asked: its default button.
int DefaultAnswer(int buttons);

// Installs the interactive implementation; an empty handler restores the headless one.
void SetMessageHandler(MessageHandler handler);

// Headless: answers queued here are used first, then the default answer.
void QueueMessageAnswer(int answer);
// The latest messages shown (a long session keeps only the most recent few thousand).
const std::vector<RecordedMessage>& RecordedMessages();
void ClearRecordedMessages();
// How many messages have been shown so far: a step that compares it before and after
// learns whether it told the user something.
size_t ShownMessageCount();
