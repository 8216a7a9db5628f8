#pragma once
// Prompts for tests: answers come from a script, every question is recorded.
#include "Prompts.h"

#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile };
    struct Asked {
        Kind kind;
        Icon icon = Icon::Information;
        QString caption;
        QString text; // message text, input prompt, or file dialog title
        int buttons = 0;
        QString preset; // input preset, or file dialog filter
    };

    // Queue answers; an unscripted message answers with its first button (Ok/Yes),
    // an unscripted input or file dialog is cancelled.
    void answerButton(int button) { m_buttons.push_back(button); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void answerFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }

    const std::vector<Asked>& asked() const { return m_asked; }
    QStringList messages() const {
        QStringList out;
        for (const Asked& a : m_asked)
            if (a.kind == Kind::Message)
                out << a.text;
        return out;
    }
    void clear() { m_asked.clear(); }

    int message(QWidget*, Icon icon, const QString& text, int buttons, const QString& caption) override {
        m_asked.push_back({Kind::Message, icon, caption, text, buttons, {}});
        if (!m_buttons.empty()) {
            const int b = m_buttons.front();
            m_buttons.pop_front();
            return b;
        }
        for (int b : {Ok, Yes, Retry, No, Cancel, Abort})
            if (buttons & b)
                return b;
        return Ok;
    }
    std::optional<QString> inputText(QWidget*, const QString& caption, const QString& prompt,
                                     const QString& preset) override {
        m_asked.push_back({Kind::Input, Icon::Information, caption, prompt, 0, preset});
        return pop(m_inputs);
    }
    std::optional<QString> openFileName(QWidget*, const FileDialog& d) override {
        m_asked.push_back({Kind::OpenFile, Icon::Information, {}, d.title, 0, d.filter});
        return pop(m_files);
    }
    std::optional<QString> saveFileName(QWidget*, const FileDialog& d) override {
        m_asked.push_back({Kind::SaveFile, Icon::Information, {}, d.title, 0, d.filter});
        return pop(m_files);
    }

private:
    static std::optional<QString> pop(std::deque<std::optional<QString>>& q) {
        if (q.empty())
            return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
    std::deque<int> m_buttons;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_files;
    std::vector<Asked> m_asked;
};
