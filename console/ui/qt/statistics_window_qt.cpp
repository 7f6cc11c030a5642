// The statistics window on Qt: a modeless tool window over the main window
// with one read-only text in the traffic log's font.
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "qt_dialog_window.h"
#include "statistics_window.h"
#include "window_fonts.h"

namespace {

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class QtStatisticsWindow final : public StatisticsWindow {
public:
    explicit QtStatisticsWindow(QWidget* owner) : m_dialog(owner)
    {
        m_dialog.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        m_dialog.setModal(false);
        m_text = new QPlainTextEdit(&m_dialog);  // owned by the dialog
        m_text->setReadOnly(true);
        m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_text->setFont(LogFont());
        m_text->setAccessibleName(QStringLiteral("Loop statistics"));
        auto* layout = new QVBoxLayout(&m_dialog);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(m_text);
    }

    void SetTitle(std::string_view text) override { m_dialog.setWindowTitle(FromUtf8(text)); }

    // Kept where the user scrolled it to; grown to the text once, at the first.
    void SetText(std::string_view utf8) override
    {
        const QString text = FromUtf8(utf8);
        if (text == m_text->toPlainText()) return;
        const int scrolled = m_text->verticalScrollBar()->value();
        m_text->setPlainText(text);
        m_text->verticalScrollBar()->setValue(scrolled);
        if (!m_sized) FitTo(text);
    }

    void Show() override
    {
        m_dialog.show();
        m_dialog.raise();
    }

    bool IsVisible() const override { return m_dialog.isVisible(); }

    QWidget& Widget() { return m_dialog; }

private:
    void FitTo(const QString& text)
    {
        m_sized = true;
        const QFontMetrics metrics(m_text->font());
        int width = 0;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        // the frame, the document's margins, a scroll bar's room and the layout's
        const int scrollBar = m_text->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int margin = 2 * m_text->frameWidth() +
                           2 * static_cast<int>(m_text->document()->documentMargin()) + scrollBar +
                           16;
        QSize size(width + margin,
                   metrics.lineSpacing() * static_cast<int>(lines.size() + 1) + margin);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableSize() * 9 / 10);
        m_dialog.resize(size);
    }

    QDialog m_dialog;
    QPlainTextEdit* m_text;
    bool m_sized = false;
};

}  // namespace

std::unique_ptr<StatisticsWindow> CreateStatisticsWindow(DialogWindow& owner)
{
    return std::make_unique<QtStatisticsWindow>(dynamic_cast<QWidget*>(&owner));
}
