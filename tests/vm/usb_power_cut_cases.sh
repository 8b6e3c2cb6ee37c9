# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash

# Sourced by usb_power_cut_suite.sh and usb_power_cut_guest.sh: the power cuts, a line each.
#   image   IMAGE.img in the work folder, labelled IMAGE in capitals
#   player  internal or card: that memory of the player with a card; solo: the second player; folder: a LUN of
#           the card reader, worked on as a folder player on its mount (--player /media/root/IMAGE)
#   layout  what MUSIC holds beside Keep (3 songs) and what lies outside it (documents, photos): songs: Cut with
#           5 songs; many: Cut with 300; named: Cut with 5 songs numbered "01 " on, played in name order
#           (.is_audio_player says so); kept: Cut with 5 songs and a file that is no song; folders: F01 to F08
#           with 3 songs each; none: nothing more
#   when    after: the power goes once every command has exited 0; pulled: the player is pulled out then;
#           SYSCALL:N: the power goes while the command is held at its Nth call of SYSCALL (strace)
#   command tunedeck-player's on folder 0 (Cut, or F01), " ; " between two; a song sent is one of the host's
# Today's program calls renameat first for a send's temporary file, for a rewrite's journal, then once for each
# song moved into the fresh folder (5 or 300), then for the fresh folder; a name-order swap renames the journal,
# the first song to its hidden name, the second, then the first. A folder's songs go one unlinkat each, then the
# folder: a format is held once four folders are gone and a song of the fifth. A program that takes fewer steps
# ends before the point, and the cut comes after it.
power_cut_cases=$(
    cat << 'EOF'
internal    internal songs   after        send big.mp3 small.mp3
card        card     many    after        swap 0 299
solo        solo     many    pulled       swap 0 299 ; send big.mp3
cutnames    folder   named   after        swap 0 4
cutdelete   folder   songs   after        delete 2
cutmkdir    folder   none    after        mkdir New
cutrmdir    folder   songs   after        rmdir 0
cutkeep     folder   kept    after        rmdir 0
cutformat   folder   folders after        format
insendren   folder   songs   renameat:1   send big.mp3
insendsync  folder   songs   fsync:2      send big.mp3
inswapnew   folder   songs   renameat:1   swap 0 4
inswapjour  folder   songs   renameat:2   swap 0 4
inswaphalf  folder   many    renameat:152 swap 0 299
inswapold   folder   songs   renameat:7   swap 0 4
innamehid   folder   named   renameat:3   swap 0 4
innameswap  folder   named   renameat:4   swap 0 4
inrmdir     folder   songs   unlinkat:3   rmdir 0
informat    folder   folders unlinkat:18  format
EOF
)

# The reader's LUNs: the folder players' images.
power_cut_reader_images() {
    awk '$2 == "folder" { print $1 ".img" }' <<< "$power_cut_cases"
}

# A volume of documents, photos and songs with neither .mpi nor .is_audio_player, whose audio folder is its root;
# mixrmdir has its folders removed one by one, mixformat is formatted.
# shellcheck disable=SC2034
mixed_images=(mixrmdir.img mixformat.img)
