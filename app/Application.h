#pragma once

// The application object: the program's title and help file, and the boundary
// where an error that escaped an event handler is shown in the standard error
// box while the event loop goes on.

#include <QApplication>
#include <functional>

class Prompter;

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    QString Title;
    QString HelpFile;

    // Where escaped errors are shown; none shows them on standard error only.
    void setPrompter(Prompter* prompter) { prompter_ = prompter; }
    // Shows `error` in the standard error box, captioned with the title.
    void ShowException(const std::exception& error);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Prompter* prompter_ = nullptr;
};

// Runs `deliver`; an exception escaping it goes to `report` and counts as
// handled. This is the event loop's boundary for errors.
bool deliverGuarded(const std::function<bool()>& deliver,
                    const std::function<void(const std::exception&)>& report);

// The text the error box shows for `error`.
[[nodiscard]] QString messageOf(const std::exception& error);
