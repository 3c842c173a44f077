#pragma once
// The menu bar of the main window: "Файл", "Вид", "Действия" and "Помощь" with
// their items, names and keys. What the items do is wired by the window.
class QAction;
class QMenu;
class QMenuBar;

namespace kelvaron {

struct MainMenus {
    QMenu* fileMenu = nullptr;     // "Файл"
    QMenu* viewMenu = nullptr;     // "Вид"
    QMenu* actionsMenu = nullptr;  // "Действия"
    QMenu* helpMenu = nullptr;     // "Помощь"

    QAction* openChartItem = nullptr;     // "Открыть график"
    QAction* saveChartItem = nullptr;     // "Сохранить график"
    QAction* printChartItem = nullptr;    // "Печать графика"
    QAction* openReportItem = nullptr;    // "Открыть отчет"
    QAction* saveReportItem = nullptr;    // "Сохранить отчет"
    QAction* printReportItem = nullptr;   // "Печать отчета", F10
    QAction* headerItem = nullptr;        // "Оформить", F11
    QAction* editTemplateItem = nullptr;  // "Редактировать шаблон"
    QAction* editNormsItem = nullptr;     // "Редактировать нормы"
    QAction* exitItem = nullptr;          // "Выход"

    QAction* tableItem = nullptr;      // "Таблица", F2
    QAction* chartItem = nullptr;      // "График", F3
    QAction* reportItem = nullptr;     // "Отчет", F4
    QAction* recordingItem = nullptr;  // "Запись"
    QAction* journalItem = nullptr;    // "Журнал", F9
    QAction* optionsItem = nullptr;    // "Опции", F5

    QAction* connectItem = nullptr;           // "Связь", F12
    QAction* freeAccelerationItem = nullptr;  // "Своб.ускорение", F6
    QAction* maxSpeedItem = nullptr;          // "Макс.обороты", F7
    QAction* setZeroItem = nullptr;           // "Устан.нуля", F8
    QAction* clearResultsItem = nullptr;      // "Стереть результ."
    QAction* normsItem = nullptr;             // "Перекл.нормы"

    QAction* helpItem = nullptr;     // "Помощь", F1
    QAction* aboutItem = nullptr;    // "О программе"
    QAction* productItem = nullptr;  // "О продукции"
    QAction* licenceItem = nullptr;  // "Лицензия"
};

MainMenus BuildMainMenus(QMenuBar* bar);

}  // namespace kelvaron
