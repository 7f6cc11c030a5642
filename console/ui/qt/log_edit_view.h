// The traffic log's rules on the window's multi-line edit.
#pragma once

#include "quillard/traffic_log.h"

class QPlainTextEdit;

class LogEditView : public LogView {
public:
    explicit LogEditView(QPlainTextEdit& edit);

    // Lengths count a line break as two characters, as the log's lines end in CR LF.
    std::size_t TextLength() const override;
    void SetText(std::string_view text) override;
    // Inserts at the end (the only place the log inserts), at most up to the limit.
    void InsertAndSelect(std::size_t position, std::string_view text,
                         std::size_t selectFrom) override;

    // The most characters the log takes; inserted text beyond it is cut off.
    void SetLimit(std::size_t limit) { m_nLimit = limit; }
    std::size_t Limit() const { return m_nLimit; }

    QPlainTextEdit& Edit() const { return m_edit; }

private:
    QPlainTextEdit& m_edit;
    std::size_t m_nLimit = 30000;  // an edit's limit until the window sets its own
};
