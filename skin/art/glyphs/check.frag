<path d="M6 12.6L10.4 17L18.4 8.2" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.6"/>
