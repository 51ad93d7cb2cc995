# Update offers: the feed reader and schedule, and the updater against a feed that the test
# serves on 127.0.0.1, with a fake notification centre or a real dunst.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Network)

add_library(tisko_feed_server STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FeedServer.cpp ${CMAKE_CURRENT_LIST_DIR}/FeedServer.h)
target_include_directories(tisko_feed_server PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tisko_feed_server PUBLIC Qt6::Core Qt6::Network)
tisko_set_warnings(tisko_feed_server)
tisko_qt_target(tisko_feed_server)

tisko_add_test(tisko_updater_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AppcastTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UpdaterTests.cpp
  LIBS tisko_updater tisko_feed_server tisko_test_support
  LABELS services)
tisko_qt_target(tisko_updater_tests)

tisko_add_test(tisko_updater_dunst_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UpdaterDunstTest.cpp
  LIBS tisko_updater tisko_feed_server tisko_notification_test_servers
  LABELS integration)
tisko_qt_target(tisko_updater_dunst_test)
