# The Debian package each install component becomes.
set(SORTEKA_PACKAGE_program sorteka)
set(SORTEKA_PACKAGE_spi-runtime libsorteka-spi1)
set(SORTEKA_PACKAGE_spi-dev libsorteka-spi-dev)
set(SORTEKA_PACKAGE_widgets sorteka-widgets)
