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
    m.fileMenu = AddMenu(bar, "N1", QStringLiteral("Файл"));
    m.openChartItem = AddItem(m.fileMenu, "N11", QStringLiteral("Открыть график"));
    m.saveChartItem = AddItem(m.fileMenu, "N12", QStringLiteral("Сохранить график"));
    m.printChartItem = AddItem(m.fileMenu, "N13", QStringLiteral("Печать графика"));
    AddSeparator(m.fileMenu, "N14");
    m.openReportItem = AddItem(m.fileMenu, "N15", QStringLiteral("Открыть отчет"));
    m.saveReportItem = AddItem(m.fileMenu, "N16", QStringLiteral("Сохранить отчет"));
    m.printReportItem = AddItem(m.fileMenu, "N17", QStringLiteral("Печать отчета"), Qt::Key_F10);
    AddSeparator(m.fileMenu, "N18");
    m.headerItem = AddItem(m.fileMenu, "N19", QStringLiteral("Оформить"), Qt::Key_F11);
    AddSeparator(m.fileMenu, "N34");
    m.editTemplateItem = AddItem(m.fileMenu, "N33", QStringLiteral("Редактировать шаблон"));
    m.editNormsItem = AddItem(m.fileMenu, "N35", QStringLiteral("Редактировать нормы"));
    AddSeparator(m.fileMenu, "N20");
    m.exitItem = AddItem(m.fileMenu, "N21", QStringLiteral("Выход"));

    m.viewMenu = AddMenu(bar, "N22", QStringLiteral("Вид"));
    m.tableItem = AddItem(m.viewMenu, "N23", QStringLiteral("Таблица"), Qt::Key_F2);
    m.chartItem = AddItem(m.viewMenu, "N24", QStringLiteral("График"), Qt::Key_F3);
    m.reportItem = AddItem(m.viewMenu, "N25", QStringLiteral("Отчет"), Qt::Key_F4);
    m.recordingItem = AddItem(m.viewMenu, "N36", QStringLiteral("Запись"));
    m.journalItem = AddItem(m.viewMenu, "journalItem", QStringLiteral("Журнал"), Qt::Key_F9);
    AddSeparator(m.viewMenu, "N26");
    m.optionsItem = AddItem(m.viewMenu, "N27", QStringLiteral("Опции"), Qt::Key_F5);

    m.actionsMenu = AddMenu(bar, "N2", QStringLiteral("Действия"));
    m.connectItem = AddItem(m.actionsMenu, "N8", QStringLiteral("Связь"), Qt::Key_F12);
    m.freeAccelerationItem =
        AddItem(m.actionsMenu, "N9", QStringLiteral("Своб.ускорение"), Qt::Key_F6);
    m.maxSpeedItem = AddItem(m.actionsMenu, "N10", QStringLiteral("Макс.обороты"), Qt::Key_F7);
    m.setZeroItem = AddItem(m.actionsMenu, "N28", QStringLiteral("Устан.нуля"), Qt::Key_F8);
    AddSeparator(m.actionsMenu, "N29");
    m.clearResultsItem = AddItem(m.actionsMenu, "N32", QStringLiteral("Стереть результ."));
    AddSeparator(m.actionsMenu, "N30");
    m.normsItem = AddItem(m.actionsMenu, "N31", QStringLiteral("Перекл.нормы"));

    m.helpMenu = AddMenu(bar, "N3", QStringLiteral("Помощь"));
    m.helpItem = AddItem(m.helpMenu, "N4", QStringLiteral("Помощь"), Qt::Key_F1);
    m.aboutItem = AddItem(m.helpMenu, "N5", QStringLiteral("О программе"));
    m.productItem = AddItem(m.helpMenu, "N6", QStringLiteral("О продукции"));
    m.licenceItem = AddItem(m.helpMenu, "N7", QStringLiteral("Лицензия"));
    return m;
}

}  // namespace kelvaron
