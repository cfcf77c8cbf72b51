<path d="M9 6.8V17.2L17.6 12Z" fill="currentColor" stroke="currentColor" stroke-width="1.6" stroke-linejoin="round"/>
