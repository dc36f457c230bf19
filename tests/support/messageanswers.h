#pragma once
// Stands in for the user at the catalogue's message boxes: remembers which
// catalogue messages were shown (by key, found from their text) and answers
// each with the button given for its key, or with the box's cautious
// answer when none was given.

#include "messagecatalogue.h"

#include <QHash>
#include <QString>
#include <QStringList>

class MessageAnswers
{
public:
    MessageAnswers(CMessageCatalogue& catalogue, const QStringList& keys)
        : m_catalogue(catalogue)
        , m_keys(keys)
    {
        m_catalogue.setMessageBox([this](const QString&, const QString& text, unsigned style) {
            QString shown = text;
            for (const QString& key : m_keys) {
                if (m_catalogue.text(key) == text)
                    shown = key;
            }
            m_shown << shown;
            m_styles << style;
            return m_answers.value(shown, CMessageCatalogue::headlessAnswer(style));
        });
    }
    ~MessageAnswers() { m_catalogue.setMessageBox({}); }
    MessageAnswers(const MessageAnswers&) = delete;
    MessageAnswers& operator=(const MessageAnswers&) = delete;

    void answer(const QString& key, int button) { m_answers[key] = button; }
    const QStringList& shown() const { return m_shown; }
    unsigned styleOf(int index) const { return m_styles.value(index); }
    void forget()
    {
        m_shown.clear();
        m_styles.clear();
    }

private:
    CMessageCatalogue& m_catalogue;
    QStringList m_keys;
    QHash<QString, int> m_answers;
    QStringList m_shown;
    QList<unsigned> m_styles;
};
