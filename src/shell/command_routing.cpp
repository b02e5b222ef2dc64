#include "shell/command_routing.h"

bool CommandHandlerMap::OnCommand(int id) {
    auto it = m_handlers.find(id);
    if (it == m_handlers.end()) return false;
    if (it->second) it->second();
    return true;
}

bool CommandHandlerMap::OnUpdateCommand(int id, CommandUpdate& update) {
    auto it = m_rules.find(id);
    if (it == m_rules.end()) return false;
    it->second(update);
    return true;
}

bool FrameCommandTarget::OnCommand(int id) {
    auto it = m_handlers.find(id);
    if (it == m_handlers.end()) return false;
    // Copied: a handler may replace handlers (or end the frame) while it runs.
    Handler handler = it->second;
    if (handler) handler();
    return true;
}

bool FrameCommandTarget::OnUpdateCommand(int id, CommandUpdate& update) {
    if (!HasCommandHandler(id)) return false;
    if (auto rule = m_rules.find(id); rule != m_rules.end()) {
        rule->second(update);
        return true;
    }
    if (!HasFrameRule(id)) return false;
    const ShellConditions c = m_conditions ? m_conditions() : CurrentShellConditions();
    const CommandRule rule = EvaluateFrameRule(id, c);
    update.enabled = rule.enabled;
    update.check = rule.check;
    return true;
}

void CommandRouter::SetTargets(CommandTarget* view, CommandTarget* document, CommandTarget* frame,
                               CommandTarget* application) {
    m_targets[0] = view;
    m_targets[1] = document;
    m_targets[2] = frame;
    m_targets[3] = application;
}

int CommandRouter::Execute(int id) {
    // A long operation polls the event loop, so a menu, button, key or recent-file entry can
    // arrive in the middle of it and would meet half-built data: such a command is refused
    // here, whichever way it came. The target that handles it has still taken it.
    const bool allowed = CommandAllowedNow(id);
    for (int i = 0; i < 4; ++i) {
        CommandTarget* target = m_targets[i];
        if (!target) continue;
        if (allowed ? target->OnCommand(id) : target->HasCommandHandler(id)) return i;
    }
    return -1;
}

CommandUpdate CommandRouter::Update(int id) {
    CommandUpdate update = FindUpdate(id);
    if (!CommandAllowedNow(id)) update.enabled = false;
    return update;
}

CommandUpdate CommandRouter::FindUpdate(int id) {
    CommandUpdate update;
    for (CommandTarget* target : m_targets)
        if (target && target->OnUpdateCommand(id, update)) return update;
    bool handled = false;
    for (CommandTarget* target : m_targets)
        if (target && target->HasCommandHandler(id)) handled = true;
    update.enabled = handled;
    update.check = CheckState::kUnchecked;
    return update;
}
