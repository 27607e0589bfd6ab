# The tests that run as Windows programs under Wine (tarvex_add_tests is tests/CMakeLists.txt's).
tarvex_add_tests(update_tests
    SOURCES
        update/reply_text_test.cpp
        update/sha256_test.cpp
        update/version_label_test.cpp
    UNDER tarvex_update)

tarvex_add_tests(worker_tests
    SOURCES
        worker/job_thread_loop_test.cpp
        worker/job_thread_test.cpp
        worker/job_thread_proc_test.cpp
        worker/wait_pumping_test.cpp
    UNDER tarvex_worker)

tarvex_add_tests(platform_tests
    SOURCES
        platform/exceptions_test.cpp
        platform/files/exclusive_file_test.cpp
        platform/files/exclusive_file_win_test.cpp
        platform/files/file_test.cpp
        platform/files/file_win_test.cpp
        platform/files/user_log_test.cpp
        platform/posix/change_notification_test.cpp
        platform/posix/kernel_objects_test.cpp
        platform/posix/message_queue_test.cpp
        platform/serial/byte_wait_test.cpp
        platform/serial/comm_state_test.cpp
        platform/serial/link_errors_win_test.cpp
        platform/serial/port_table_test.cpp
        platform/system/system_facts_win_test.cpp
        platform/text_test.cpp
    UNDER tarvex_text tarvex_platform tarvex_system tarvex_files tarvex_serial
    LIBS tarvex_update)  # the devices' line settings

tarvex_add_tests(settings_tests
    SOURCES app/settings_record_test.cpp
    UNDER tarvex_settings)

tarvex_add_tests(report_tests
    SOURCES
        about/system_report_test.cpp
        about/system_report_win_test.cpp
    UNDER tarvex_report)

# The download on WinINet against the real FTP server on loopback (a Linux program that the
# Windows test starts through Wine).
tarvex_add_tests(download_tests
    SOURCES download/latest_hex_files_test.cpp
    UNDER tarvex_download
    LIBS ws2_32
)

# The window layer, the main window and the About, System Information and Help dialogs on the
# Win32 user interface: the same tests as on Linux, but for those of Qt's own drawing.
tarvex_add_gui_tests(ui_tests
    SOURCES
        platform/ui/dialog_test.cpp
        platform/ui/file_dialog_filter_test.cpp
        platform/ui/menu_test.cpp
        platform/ui/window_link_test.cpp
    UNDER tarvex_ui
    LIBS tarvex_worker)  # a real worker thread on the far side of the window link

tarvex_add_gui_tests(about_tests
    SOURCES
        about/dialogs_test.cpp
        about/draw_transparent_bitmap_test.cpp
    UNDER tarvex_about
    LIBS tarvex_app)

tarvex_add_gui_tests(app_tests
    SOURCES
        app/browse_win_test.cpp
        app/loader_dialog_test.cpp
        app/port_menu_test.cpp
        app/setup_types_test.cpp
        app/startup_and_close_test.cpp
        app/window_close_test.cpp
    UNDER tarvex_app)
