# The Debian package (cpack -G DEB). Library dependencies are found by
# dpkg-shlibdeps from the programs themselves; only what no library link
# shows is named here: setcap for the post-install step and Qt's Japanese
# translation, which the program loads at start.
set(MARROWBY_PACKAGE_MAINTAINER "Marrowby maintainers <marrowby@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marrowby)
set(CPACK_PACKAGE_VENDOR Pellwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${MARROWBY_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "POP3 mail gateway with spam filtering")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Marrowby downloads new mail from your remote POP3 accounts on a timer, judges
each message against nine rule lists (senders, subject, sending network and
host, mailer, headers, body text, attachments), keeps accepted mail in the
account's inbox and rejected mail in the trash, and serves each inbox to your
mail client through its own POP3 server on port 110. It has a Qt window with
a tray icon (Japanese texts), runs without a window as a systemd user service,
and comes with marrowby-tool for the terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin, qt6-translations-l10n")
# Without a CJK font the window's Japanese texts show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
