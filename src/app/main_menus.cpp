#include "app/main_menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace kelvaron {

namespace {

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& title) {
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* AddItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {}) {
    QAction* item = menu->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) item->setShortcut(key);
    return item;
}

void AddSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

}  // namespace

MainMenus BuildMainMenus(QMenuBar* bar) {
    MainMenus m;
    m.N1 = AddMenu(bar, "N1", QStringLiteral("Файл"));
    m.N11 = AddItem(m.N1, "N11", QStringLiteral("Открыть график"));
    m.N12 = AddItem(m.N1, "N12", QStringLiteral("Сохранить график"));
    m.N13 = AddItem(m.N1, "N13", QStringLiteral("Печать графика"));
    AddSeparator(m.N1, "N14");
    m.N15 = AddItem(m.N1, "N15", QStringLiteral("Открыть отчет"));
    m.N16 = AddItem(m.N1, "N16", QStringLiteral("Сохранить отчет"));
    m.N17 = AddItem(m.N1, "N17", QStringLiteral("Печать отчета"), Qt::Key_F10);
    AddSeparator(m.N1, "N18");
    m.N19 = AddItem(m.N1, "N19", QStringLiteral("Оформить"), Qt::Key_F11);
    AddSeparator(m.N1, "N34");
    m.N33 = AddItem(m.N1, "N33", QStringLiteral("Редактировать шаблон"));
    m.N35 = AddItem(m.N1, "N35", QStringLiteral("Редактировать нормы"));
    AddSeparator(m.N1, "N20");
    m.N21 = AddItem(m.N1, "N21", QStringLiteral("Выход"));

    m.N22 = AddMenu(bar, "N22", QStringLiteral("Вид"));
    m.N23 = AddItem(m.N22, "N23", QStringLiteral("Таблица"), Qt::Key_F2);
    m.N24 = AddItem(m.N22, "N24", QStringLiteral("График"), Qt::Key_F3);
    m.N25 = AddItem(m.N22, "N25", QStringLiteral("Отчет"), Qt::Key_F4);
    m.N36 = AddItem(m.N22, "N36", QStringLiteral("Запись"));
    AddSeparator(m.N22, "N26");
    m.N27 = AddItem(m.N22, "N27", QStringLiteral("Опции"), Qt::Key_F5);

    m.N2 = AddMenu(bar, "N2", QStringLiteral("Действия"));
    m.N8 = AddItem(m.N2, "N8", QStringLiteral("Связь"), Qt::Key_F12);
    m.N9 = AddItem(m.N2, "N9", QStringLiteral("Своб.ускорение"), Qt::Key_F6);
    m.N10 = AddItem(m.N2, "N10", QStringLiteral("Макс.обороты"), Qt::Key_F7);
    m.N28 = AddItem(m.N2, "N28", QStringLiteral("Устан.нуля"), Qt::Key_F8);
    AddSeparator(m.N2, "N29");
    m.N32 = AddItem(m.N2, "N32", QStringLiteral("Стереть результ."));
    AddSeparator(m.N2, "N30");
    m.N31 = AddItem(m.N2, "N31", QStringLiteral("Перекл.нормы"));

    m.N3 = AddMenu(bar, "N3", QStringLiteral("Помощь"));
    m.N4 = AddItem(m.N3, "N4", QStringLiteral("Помощь"), Qt::Key_F1);
    m.N5 = AddItem(m.N3, "N5", QStringLiteral("О программе"));
    m.N6 = AddItem(m.N3, "N6", QStringLiteral("О продукции"));
    m.N7 = AddItem(m.N3, "N7", QStringLiteral("Лицензия"));
    return m;
}

}  // namespace kelvaron
