# The Qt front end: the widgets in a static library (so the GUI tests link them) and the
# executable around main.cpp. Included by the top-level CMakeLists.txt when Qt 6 is found.

set(STRIPSTOCK_QT_DEFINITIONS
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
)

add_library(stripstock_widgets STATIC
  src/app/MainWindow.cpp
  src/app/MainWindow.h
  src/app/MessageBox.cpp
  src/app/MessageBox.h
  src/app/WidgetHelpers.h
  src/consumption/ConsumptionView.cpp
  src/consumption/ConsumptionView.h
  src/prescriptions/PrescriptionsView.cpp
  src/prescriptions/PrescriptionsView.h
  src/prescriptions/EntryDialog.cpp
  src/prescriptions/EntryDialog.h
  src/prescriptions/NewPrescriptionDialog.cpp
  src/prescriptions/NewPrescriptionDialog.h
  src/prescriptions/FaultyMeasurementDialog.cpp
  src/prescriptions/FaultyMeasurementDialog.h
  src/prescriptions/LedgerListDialog.cpp
  src/prescriptions/LedgerListDialog.h
  src/strips/StripDefinitionsView.cpp
  src/strips/StripDefinitionsView.h
  src/strips/StripPropertiesDialog.cpp
  src/strips/StripPropertiesDialog.h
)
set_target_properties(stripstock_widgets PROPERTIES AUTOMOC ON)
target_compile_definitions(stripstock_widgets PUBLIC ${STRIPSTOCK_QT_DEFINITIONS})
target_link_libraries(stripstock_widgets PUBLIC stripstock_options stripstock_core Qt6::Widgets)

add_executable(stripstock src/app/main.cpp)
set_target_properties(stripstock PROPERTIES AUTOMOC ON)
target_compile_definitions(stripstock PRIVATE ${STRIPSTOCK_QT_DEFINITIONS})
target_link_libraries(stripstock PRIVATE stripstock_widgets)
