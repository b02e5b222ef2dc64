#pragma once
// Command routing: a command is offered to the view, then the document, then the main
// frame, then the application; the first that handles it ends the search. Enable and
// check state are found the same way.
#include <functional>
#include <map>

#include "shell/command_table.h"

struct CommandUpdate {
    bool enabled = true;
    CheckState check = CheckState::kUnchecked;
};

// Implemented by the view, the document, the frame and the application.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when this target handles the id (whether or not it acted).
    virtual bool OnCommand(int id) = 0;
    // True when this target has a handler for the id.
    virtual bool HasCommandHandler(int id) const = 0;
    // True when this target has an update rule for the id; it then fills `update`.
    virtual bool OnUpdateCommand(int id, CommandUpdate& update) = 0;
};

// A target with handlers and update rules registered per id.
class CommandHandlerMap : public CommandTarget {
public:
    using Handler = std::function<void()>;
    using UpdateRule = std::function<void(CommandUpdate&)>;

    void SetHandler(int id, Handler handler) { m_handlers[id] = std::move(handler); }
    void SetUpdateRule(int id, UpdateRule rule) { m_rules[id] = std::move(rule); }
    void RemoveHandler(int id) { m_handlers.erase(id); }

    bool OnCommand(int id) override;
    bool HasCommandHandler(int id) const override { return m_handlers.count(id) != 0; }
    bool OnUpdateCommand(int id, CommandUpdate& update) override;

private:
    std::map<int, Handler> m_handlers;
    std::map<int, UpdateRule> m_rules;
};

// The frame's and application's commands: handlers registered as they are built and the
// update rules of the command table. A command whose handler is not built yet has no
// update rule here, so it shows disabled.
class FrameCommandTarget : public CommandTarget {
public:
    using Handler = std::function<void()>;
    // Supplies the conditions the rules look at (default: CurrentShellConditions).
    using ConditionSource = std::function<ShellConditions()>;

    using UpdateRule = std::function<void(CommandUpdate&)>;

    void SetHandler(int id, Handler handler) { m_handlers[id] = std::move(handler); }
    void RemoveHandler(int id) { m_handlers.erase(id); }
    // A rule for a command that the table gives none (the framework's own commands).
    void SetUpdateRule(int id, UpdateRule rule) { m_rules[id] = std::move(rule); }
    void SetConditionSource(ConditionSource source) { m_conditions = std::move(source); }

    bool OnCommand(int id) override;
    bool HasCommandHandler(int id) const override { return m_handlers.count(id) != 0; }
    bool OnUpdateCommand(int id, CommandUpdate& update) override;

private:
    std::map<int, Handler> m_handlers;
    std::map<int, UpdateRule> m_rules;
    ConditionSource m_conditions;
};

class CommandRouter {
public:
    // Targets in routing order; any may be null (not there yet).
    void SetTargets(CommandTarget* view, CommandTarget* document, CommandTarget* frame,
                    CommandTarget* application);
    void SetView(CommandTarget* view) { m_targets[0] = view; }
    void SetDocument(CommandTarget* document) { m_targets[1] = document; }

    // Routes the command; the index of the target that took it (0 view, 1 document,
    // 2 frame, 3 application) or -1 when none handles it. While a long operation runs,
    // only the commands that touch neither the data nor the tools run (CommandAllowedNow);
    // the target that handles any other takes it without acting.
    int Execute(int id);
    // The state of the command's menu item or button: the first target with an update
    // rule decides; without any rule the item is enabled exactly when some target has a
    // handler. A command refused during a long operation shows disabled.
    CommandUpdate Update(int id);

private:
    CommandUpdate FindUpdate(int id);

    CommandTarget* m_targets[4] = {nullptr, nullptr, nullptr, nullptr};
};
