#pragma once
// The menu bar of the main window: "Файл", "Вид", "Действия" and "Помощь" with
// their items, names and keys. What the items do is wired by the window.
class QAction;
class QMenu;
class QMenuBar;

namespace kelvaron {

struct MainMenus {
    QMenu* N1 = nullptr;   // "Файл"
    QMenu* N22 = nullptr;  // "Вид"
    QMenu* N2 = nullptr;   // "Действия"
    QMenu* N3 = nullptr;   // "Помощь"

    QAction* N11 = nullptr;  // "Открыть график"
    QAction* N12 = nullptr;  // "Сохранить график"
    QAction* N13 = nullptr;  // "Печать графика"
    QAction* N15 = nullptr;  // "Открыть отчет"
    QAction* N16 = nullptr;  // "Сохранить отчет"
    QAction* N17 = nullptr;  // "Печать отчета", F10
    QAction* N19 = nullptr;  // "Оформить", F11
    QAction* N33 = nullptr;  // "Редактировать шаблон"
    QAction* N35 = nullptr;  // "Редактировать нормы"
    QAction* N21 = nullptr;  // "Выход"

    QAction* N23 = nullptr;  // "Таблица", F2
    QAction* N24 = nullptr;  // "График", F3
    QAction* N25 = nullptr;  // "Отчет", F4
    QAction* N36 = nullptr;  // "Запись"
    QAction* N27 = nullptr;  // "Опции", F5

    QAction* N8 = nullptr;   // "Связь", F12
    QAction* N9 = nullptr;   // "Своб.ускорение", F6
    QAction* N10 = nullptr;  // "Макс.обороты", F7
    QAction* N28 = nullptr;  // "Устан.нуля", F8
    QAction* N32 = nullptr;  // "Стереть результ."
    QAction* N31 = nullptr;  // "Перекл.нормы"

    QAction* N4 = nullptr;  // "Помощь", F1
    QAction* N5 = nullptr;  // "О программе"
    QAction* N6 = nullptr;  // "О продукции"
    QAction* N7 = nullptr;  // "Лицензия"
};

MainMenus BuildMainMenus(QMenuBar* bar);

}  // namespace kelvaron
