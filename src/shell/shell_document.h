#pragma once
// What the shell needs of the document and how commands reach the view. The document
// class and the view implement these; until they exist the placeholders stand in.
#include <string>

#include "shell/command_routing.h"

class ShellDocument : public CommandTarget {
public:
    // The title the frame shows before " - Nostrel-VODA" (UTF-8).
    virtual std::string Title() const = 0;
    virtual bool IsModified() const = 0;
    // The backup reminder's saves: 1 under the current name, 2 under a new name.
    virtual void SaveForBackupPrompt(int kind) = 0;
    // Asks to save a modified document before it is closed; false cancels the close.
    virtual bool SaveModified() = 0;
    // The framework's new and open steps; false when they fail.
    virtual bool NewDocument() = 0;
    virtual bool OpenDocument(const std::string& path) = 0;
};

// Stands in for the document until the document class exists: an unmodified, empty
// document without commands of its own.
class PlaceholderDocument : public ShellDocument {
public:
    std::string Title() const override { return m_title; }
    bool IsModified() const override { return false; }
    void SaveForBackupPrompt(int) override {}
    bool SaveModified() override { return true; }
    bool NewDocument() override {
        m_title = "No_Name";
        return true;
    }
    bool OpenDocument(const std::string&) override { return false; }

    bool OnCommand(int) override { return false; }
    bool HasCommandHandler(int) const override { return false; }
    bool OnUpdateCommand(int, CommandUpdate&) override { return false; }

private:
    std::string m_title = "No_Name";
};
