// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

class QRadioButton;

namespace Tormel {

// The small start window in which the technician picks the unit family. Its texts are fixed
// Japanese in every language. OK hides it, opens the chosen family's main window modally and,
// once that window has closed, closes the chooser, which ends the program: one family per run.
class ChoseForm : public QMainWindow {
    Q_OBJECT
  public:
    // Builds the main window of one family; the chooser owns it while it is open.
    using MainWindowFactory = std::function<std::unique_ptr<QWidget>(QWidget* parent)>;

    explicit ChoseForm(QWidget* parent = nullptr);
    ~ChoseForm() override;

    // Replaces the windows that OK opens (tests, and the program until the real ones exist).
    void setMainWindowFactories(MainWindowFactory rs485, MainWindowFactory contactIo);

  signals:
    // The chooser has closed; the program should end.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void button1_Click();
    void button2_Click();
    void Version_MenuItem_Click();

    QRadioButton* radioButton1 = nullptr;
    QRadioButton* radioButton2 = nullptr;
    MainWindowFactory m_createRs485;
    MainWindowFactory m_createContactIo;
    bool m_closedSent = false;
};

}  // namespace Tormel
