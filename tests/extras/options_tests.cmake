# Options, archive reminder and statistics.
