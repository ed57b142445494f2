# Zip classes, archive and restore.
