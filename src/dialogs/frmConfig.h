#pragma once

#include <QDialog>

namespace sora {

class MDIForm1;

class frmConfig final : public QDialog
{
    Q_OBJECT
public:
    explicit frmConfig(MDIForm1& main);

    void Form_Load();

private:
    MDIForm1& m_main;
};

} // namespace sora
