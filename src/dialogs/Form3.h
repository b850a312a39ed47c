#pragma once

#include <QDialog>

namespace sora {

class MDIForm1;

class Form3 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form3(MDIForm1& main);

    void Form_Load();

private:
    MDIForm1& m_main;
};

} // namespace sora
